// The mail library stand-in: the real xdg-email with MAILER pointing at a recording script,
// and a recording sendmail on the PATH. No real mail client ever starts.

#include "platform/SimpleMapi.h"
#include "ReportTestSupport.h"
#include "report/MapiControl.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <vector>

namespace corvel {
namespace {

using test::ReadAll;
using test::ScopedEnv;
using test::WriteScript;

QByteArray originalPath() {
    return qgetenv("PATH");
}

class SimpleMapiTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureApplication();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("bin")));
        bin = dir.filePath(QStringLiteral("bin"));
        record = dir.filePath(QStringLiteral("record.txt"));
        control.setResolver(&resolver);
        control.OnSuccess = [this](QObject*) { results.push_back(0); };
        control.OnUserAbort = [this](QObject*) { results.push_back(1); };
        control.OnMapiError = [this](QObject*, int code) { results.push_back(code); };
    }

    /// Puts our bin folder first on the PATH and makes xdg-email hand the mailto address to a
    /// script that records its arguments, one a line.
    void useRecordingMailer(const QByteArray& extra = QByteArray()) {
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty())
            GTEST_SKIP() << "xdg-email is not installed (Debian package xdg-utils)";
        const QString mailer =
            WriteScript(dir, QStringLiteral("mailer.sh"),
                        extra + "printf '%s\\n' \"$@\" > '" + record.toUtf8() + "'\n");
        path.emplace("PATH", bin.toUtf8() + ":" + originalPath());
        mailerEnv.emplace("MAILER", mailer.toUtf8());
    }

    int sendOnce() {
        results.clear();
        control.SendMail();
        return results.size() == 1 ? results.front() : -1;
    }

    /// The query fields of the single mailto address the recorder got.
    QUrlQuery recordedQuery() {
        const QList<QByteArray> lines = ReadAll(record).split('\n');
        EXPECT_GE(lines.size(), 1);
        const QUrl url(QString::fromUtf8(lines.value(0)), QUrl::StrictMode);
        EXPECT_TRUE(url.isValid()) << lines.value(0).constData();
        EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
        return QUrlQuery(url);
    }

    QTemporaryDir dir;
    QString bin;
    QString record;
    std::optional<ScopedEnv> path;
    std::optional<ScopedEnv> mailerEnv;
    ScopedEnv home{"HOME", dir.path().toUtf8()};
    MapiSendMailResolver resolver{[] { return true; }, MapiGetProcAddress};
    TMapiControl control;
    std::vector<int> results;
};

TEST_F(SimpleMapiTest, ComposeWindowReceivesEveryFieldAsArgumentTextNeverAsShellCode) {
    useRecordingMailer();
    const QString marker = dir.filePath(QStringLiteral("pwned"));
    const QString body = QStringLiteral("Water \"flow\" 'report'\r\n$(touch ") + marker +
                         QStringLiteral(")\r\n`touch ") + marker +
                         QStringLiteral("`; rm -rf x & | > <\r\nDruck 5 °C – ümlaut \\c \\n %41 +");
    QFile attachment(dir.filePath(QStringLiteral("case data.ini")));
    ASSERT_TRUE(attachment.open(QIODevice::WriteOnly));
    attachment.write("[Store]\n");
    attachment.close();

    control.setShowDialog(true);
    control.setSubject(QStringLiteral("Corvel; $(touch ") + marker + QStringLiteral(")"));
    control.setBody(body);
    control.setRecipients(
        {QStringLiteral("a@x.org"), QStringLiteral("b c@x.org"), QStringLiteral("-n@x.org")});
    control.setCopyTo({QStringLiteral("cc@x.org")});
    control.setBlindCopyTo({QStringLiteral("bcc@x.org")});
    control.setAttachedFiles({attachment.fileName()});
    ASSERT_EQ(sendOnce(), 0);

    const QList<QByteArray> lines = ReadAll(record).split('\n');
    ASSERT_EQ(lines.size(), 2) << "the mailer gets exactly one argument";
    const QUrl url(QString::fromUtf8(lines[0]), QUrl::StrictMode);
    EXPECT_EQ(url.path(QUrl::FullyDecoded), QStringLiteral("a@x.org,b c@x.org,-n@x.org"));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("cc"), QUrl::FullyDecoded),
              QStringLiteral("cc@x.org"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("bcc"), QUrl::FullyDecoded),
              QStringLiteral("bcc@x.org"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
              control.Subject());
    EXPECT_EQ(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded), body);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("attach"), QUrl::FullyDecoded),
              attachment.fileName());
    EXPECT_FALSE(QFile::exists(marker)) << "message text was run as shell code";
}

TEST_F(SimpleMapiTest, SmtpPrefixedAddresseeLineKeepsOnePrefixAtTheMailClient) {
    useRecordingMailer();
    control.setShowDialog(true);
    control.setRecipients({QStringLiteral("SMTP:a@x.org")});
    ASSERT_EQ(sendOnce(), 0);
    EXPECT_EQ(ReadAll(record), "mailto:SMTP%3Aa@x.org\n");
}

TEST_F(SimpleMapiTest, EmptyReportOpensAnEmptyComposeWindow) {
    useRecordingMailer();
    control.setShowDialog(true);
    ASSERT_EQ(sendOnce(), 0);
    EXPECT_EQ(ReadAll(record), "mailto:\n");
}

TEST_F(SimpleMapiTest, ComposeFailuresMapToMapiResults) {
    useRecordingMailer();
    control.setShowDialog(true);

    control.setAttachedFiles({dir.filePath(QStringLiteral("missing.dat"))});
    EXPECT_EQ(sendOnce(), 11);
    control.setAttachedFiles({dir.path()});
    EXPECT_EQ(sendOnce(), 11) << "a folder is no attachment";
    control.AttachedFiles().clear();

    control.setRecipients({QStringLiteral("a@x.org\r\nBcc: evil@x.org")});
    EXPECT_EQ(sendOnce(), 14);
    control.setRecipients({QString()});
    EXPECT_EQ(sendOnce(), 14);
    control.Recipients().clear();
    EXPECT_FALSE(QFile::exists(record)) << "no failed send reached the mail client";

    mailerEnv.emplace("MAILER",
                      WriteScript(dir, QStringLiteral("failing.sh"), "exit 1\n").toUtf8());
    EXPECT_EQ(sendOnce(), 2);
}

TEST_F(SimpleMapiTest, EveryFailureIsExplainedInWords) {
    useRecordingMailer();
    control.setShowDialog(true);
    EXPECT_EQ(sendOnce(), 0);
    EXPECT_EQ(control.LastErrorText(), QString());

    mailerEnv.emplace("MAILER",
                      WriteScript(dir, QStringLiteral("failing.sh"), "exit 1\n").toUtf8());
    EXPECT_EQ(sendOnce(), 2);
    // xdg-email ends with status 4 when the mail client it started fails.
    EXPECT_EQ(control.LastErrorText(), QStringLiteral("The mail program failed (exit 4)"));

    control.setBody(QString(1024 * 1024, QLatin1Char('x')));
    EXPECT_EQ(sendOnce(), 18);
    EXPECT_EQ(control.LastErrorText(), QStringLiteral("The message is too long to mail."));
    control.setBody(QString());

    control.setAttachedFiles({dir.filePath(QStringLiteral("missing.dat"))});
    EXPECT_EQ(sendOnce(), 11);
    EXPECT_TRUE(
        control.LastErrorText().startsWith(QStringLiteral("An attached file cannot be read")));
    control.AttachedFiles().clear();

    ScopedEnv emptyPath("PATH", bin.toUtf8());
    EXPECT_EQ(sendOnce(), 1);
    EXPECT_EQ(control.LastErrorText(), QStringLiteral("No mail program found: install xdg-utils"));
}

TEST_F(SimpleMapiTest, OversizedBodyIsTextTooLargeNotACrash) {
    useRecordingMailer();
    control.setShowDialog(true);
    control.setBody(QString(1024 * 1024, QLatin1Char('x')));
    EXPECT_EQ(sendOnce(), 18);
    EXPECT_FALSE(QFile::exists(record));
}

TEST_F(SimpleMapiTest, HungMailClientIsGivenUpAfterTheToolTimeout) {
    useRecordingMailer();
    mailerEnv.emplace(
        "MAILER",
        WriteScript(dir, QStringLiteral("hung.sh"), "exec >/dev/null 2>&1\nsleep 5\n").toUtf8());
    const int previous = SetMapiToolTimeout(300);
    control.setShowDialog(true);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(sendOnce(), 2);
    EXPECT_LT(clock.elapsed(), 4000);
    SetMapiToolTimeout(previous);
}

TEST_F(SimpleMapiTest, NoMailToolIsUserAbort) {
    ScopedEnv emptyPath("PATH", bin.toUtf8());
    EXPECT_FALSE(MapiMailEnabled());
    control.setShowDialog(true);
    EXPECT_EQ(sendOnce(), 1);

    // The process-wide resolver decides the same way on a desktop without xdg-email.
    MapiSendMailResolver probeOnly;
    EXPECT_EQ(probeOnly.sendMail(), nullptr);

    if (QFile::exists(QStringLiteral("/usr/sbin/sendmail")) ||
        QFile::exists(QStringLiteral("/usr/lib/sendmail")))
        return; // a silent send would find the system's sendmail
    control.setShowDialog(false);
    control.setRecipients({QStringLiteral("a@x.org")});
    EXPECT_EQ(sendOnce(), 1);
}

class SendmailTest : public SimpleMapiTest {
protected:
    void SetUp() override {
        SimpleMapiTest::SetUp();
        args = dir.filePath(QStringLiteral("args.txt"));
        WriteScript(dir, QStringLiteral("bin/sendmail"),
                    "printf '%s\\n' \"$@\" > '" + args.toUtf8() + "'\ncat > '" + record.toUtf8() +
                        "'\n");
        path.emplace("PATH", bin.toUtf8() + ":" + originalPath());
    }

    /// The value of header `name` in the recorded message (first occurrence, unfolded).
    QByteArray header(const QByteArray& name) const {
        const QByteArray message = ReadAll(record);
        const QByteArray head = message.left(message.indexOf("\n\n"));
        QByteArray value;
        bool inside = false;
        for (const QByteArray& line : head.split('\n')) {
            if (inside && line.startsWith(' ')) {
                value += line; // unfolding drops only the line end
                continue;
            }
            if (inside)
                break;
            if (line.startsWith(name + ": ")) {
                value = line.mid(name.size() + 2);
                inside = true;
            }
        }
        return value;
    }

    QString args;
};

TEST_F(SendmailTest, SilentSendHandsAMimeMessageToSendmail) {
    QFile attachment(dir.filePath(QStringLiteral("Ünits.dat")));
    ASSERT_TRUE(attachment.open(QIODevice::WriteOnly));
    const QByteArray data("\x00\x01\xFF"
                          "binary\n.\n",
                          12);
    attachment.write(data);
    attachment.close();

    const QString body = QStringLiteral("First line\r\n.\r\nLast – line");
    control.setSubject(QStringLiteral("Corvel report °C\nBcc: evil@x.org"));
    control.setBody(body);
    control.setFromName(QStringLiteral("Pipe, Desk"));
    control.setFromAdress(QStringLiteral("desk@x.org"));
    control.setRecipients({QStringLiteral("a@x.org"), QStringLiteral("b@x.org")});
    control.setCopyTo({QStringLiteral("c@x.org")});
    control.setBlindCopyTo({QStringLiteral("d@x.org")});
    control.setAttachedFiles({attachment.fileName()});
    ASSERT_EQ(sendOnce(), 0);

    EXPECT_EQ(ReadAll(args), "-t\n-i\n");
    EXPECT_EQ(header("To"), "a@x.org, b@x.org");
    EXPECT_EQ(header("Cc"), "c@x.org");
    EXPECT_EQ(header("Bcc"), "d@x.org");
    EXPECT_EQ(header("From"),
              "=?UTF-8?B?" + QByteArray("Pipe, Desk").toBase64() + "?= <desk@x.org>");
    EXPECT_TRUE(header("Subject").startsWith("=?UTF-8?B?"));
    EXPECT_EQ(ReadAll(record).count("\nBcc: "), 1) << "a subject cannot add headers";

    // Decode the parts by their boundary and compare their contents.
    const QByteArray message = ReadAll(record);
    const QByteArray contentType = header("Content-Type");
    const QByteArray boundary = contentType.mid(contentType.indexOf("boundary=\"") + 10).chopped(1);
    ASSERT_FALSE(boundary.isEmpty());
    QList<QByteArray> parts;
    for (qsizetype from = 0;;) {
        const qsizetype at = message.indexOf("--" + boundary, from);
        parts << message.mid(from, at < 0 ? -1 : at - from);
        if (at < 0)
            break;
        from = at + boundary.size() + 2;
    }
    ASSERT_EQ(parts.size(), 4) << "preamble, text, attachment, closing";
    auto content = [](const QByteArray& part) {
        const QByteArray encoded = part.mid(part.indexOf("\n\n") + 2);
        return QByteArray::fromBase64(encoded); // skips the line ends
    };
    EXPECT_EQ(QString::fromUtf8(content(parts[1])), QString(body).replace("\r\n", "\n"));
    EXPECT_TRUE(parts[2].contains("filename*=UTF-8''%C3%9Cnits.dat"));
    EXPECT_EQ(content(parts[2]), data);
}

TEST_F(SendmailTest, SilentSendNeedsAnAddressee) {
    EXPECT_EQ(sendOnce(), 14);
    EXPECT_FALSE(QFile::exists(record));
}

TEST_F(SendmailTest, FailingSendmailIsFailure) {
    WriteScript(dir, QStringLiteral("bin/sendmail"), "cat >/dev/null\nexit 75\n");
    control.setRecipients({QStringLiteral("a@x.org")});
    control.setBody(QString(1024 * 1024, QLatin1Char('y')));
    EXPECT_EQ(sendOnce(), 2);
}

} // namespace
} // namespace corvel
