#include "platform/SimpleMapi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace corvel {

namespace {

std::atomic<int>& toolTimeout() {
    static std::atomic<int> milliseconds{120000};
    return milliseconds;
}

// The cancel flag of the send running on this thread, and why its last send failed.
thread_local const std::atomic<bool>* cancelFlag = nullptr;
thread_local QString lastErrorText;

/// Records `text` as the reason of the current send's failure and returns `result`.
MapiULong failing(MapiULong result, const QString& text) {
    lastErrorText = text;
    return result;
}

// Linux refuses a single program argument of 128 KiB or more (MAX_ARG_STRLEN); the mailto
// address passes through xdg-email to the mail client as one argument, so it stays below that.
constexpr qsizetype MaxMailtoLength = 120 * 1024;

QString fromUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

QString withoutSmtpPrefix(const QString& address) {
    static const QString prefix = QStringLiteral("SMTP:");
    return address.startsWith(prefix, Qt::CaseInsensitive) ? address.mid(prefix.size()) : address;
}

bool hasControlCharacter(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

bool usableAddress(const QString& address) {
    return !address.trimmed().isEmpty() && !hasControlCharacter(address);
}

/// Every line end (CR LF, CR or LF) as LF.
QString withLfLineEnds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

/// Percent-encodes `text` as UTF-8, keeping only RFC 3986 unreserved characters (and "@" when
/// asked, which an address may carry unencoded); line ends become %0D%0A.
QString percentEncoded(const QString& text, bool keepAt) {
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = withLfLineEnds(text).toUtf8();
    QString out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~' || (keepAt && c == '@');
        if (unreserved) {
            out += QLatin1Char(static_cast<char>(c));
        } else if (c == '\n') {
            out += QStringLiteral("%0D%0A");
        } else {
            out += QLatin1Char('%');
            out += QLatin1Char(hex[c >> 4]);
            out += QLatin1Char(hex[c & 0xF]);
        }
    }
    return out;
}

bool isPlainHeaderText(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

/// `text` as a header value: unchanged when it is short printable ASCII, else as RFC 2047
/// encoded words of at most 45 UTF-8 bytes each (never splitting a character), folded onto
/// continuation lines. Line ends inside the text become blanks.
QByteArray headerText(QString text, bool phrase = false) {
    text = withLfLineEnds(text);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    bool plain = isPlainHeaderText(text) && text.size() <= 70;
    if (plain && phrase)
        for (QChar c : text)
            if (specials.contains(c))
                plain = false;
    if (plain)
        return text.toLatin1();

    const QByteArray bytes = text.toUtf8();
    QByteArray out;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = std::min<qsizetype>(start + 45, bytes.size());
        // Back up to the start of a UTF-8 sequence so no character is split across words.
        while (end < bytes.size() && end > start + 1 &&
               (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            --end;
        if (!out.isEmpty())
            out += "\n ";
        out += "=?UTF-8?B?" + bytes.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return out;
}

/// `data` in base64, in lines of 76 characters.
QByteArray base64Lines(const QByteArray& data) {
    const QByteArray encoded = data.toBase64();
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / 76 + 2);
    for (qsizetype i = 0; i < encoded.size(); i += 76) {
        out += encoded.mid(i, 76);
        out += '\n';
    }
    return out;
}

/// The filename parameter of a Content-Disposition header: quoted when plain, else in the
/// RFC 2231 form that carries UTF-8.
QByteArray fileNameParameter(const QString& name) {
    bool plain = isPlainHeaderText(name);
    for (QChar c : name)
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            plain = false;
    if (plain)
        return "filename=\"" + name.toLatin1() + "\"";
    return "filename*=UTF-8''" + percentEncoded(name, false).toLatin1();
}

QByteArray addressList(const QStringList& addresses) {
    QByteArray out;
    for (const QString& address : addresses) {
        if (!out.isEmpty())
            out += ",\n ";
        out += address.toUtf8();
    }
    return out;
}

struct ToolRun {
    bool started = false;
    bool finished = false; ///< ended by itself with an exit code (not killed, not crashed)
    bool timedOut = false;
    bool cancelled = false;
    int exitCode = -1;

    /// The failure in words; empty for a tool that ended with exit code 0.
    QString failure() const {
        if (!started)
            return QStringLiteral("The mail program could not be started.");
        if (cancelled)
            return QStringLiteral("The mail hand-off was cancelled.");
        if (timedOut)
            return QStringLiteral("The mail program did not finish within %1 s.")
                .arg(toolTimeout() / 1000.0);
        if (!finished)
            return QStringLiteral("The mail program stopped unexpectedly.");
        if (exitCode != 0)
            return QStringLiteral("The mail program failed (exit %1)").arg(exitCode);
        return QString();
    }
};

bool onApplicationThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

/// Runs `program` with `arguments` (no shell), feeding it `input`, and waits for it. On the
/// application's thread the application keeps painting meanwhile, user input blocked as under a
/// modal dialog; on any other thread it just waits. A run longer than the tool timeout, or one
/// whose send is cancelled, is killed.
ToolRun runTool(const QString& program, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (input.isNull())
        process.setStandardInputFile(QProcess::nullDevice());
    process.start();

    ToolRun run;
    if (!process.waitForStarted(10000))
        return run;
    run.started = true;
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }

    const bool paint = onApplicationThread();
    QElapsedTimer clock;
    clock.start();
    while (!process.waitForFinished(50)) {
        if (process.state() == QProcess::NotRunning)
            break;
        run.cancelled = cancelFlag && cancelFlag->load();
        run.timedOut = clock.elapsed() > toolTimeout();
        if (run.cancelled || run.timedOut) {
            process.kill();
            process.waitForFinished(5000);
            return run;
        }
        if (paint)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    run.finished = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    return run;
}

MapiULong sendThroughComposeWindow(const MailDraft& draft) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (tool.isEmpty())
        return failing(MAPI_USER_ABORT, QString::fromLatin1(kNoMailProgramText));

    const QString uri = MailtoUri(draft);
    if (uri.size() > MaxMailtoLength)
        return failing(MAPI_E_TEXT_TOO_LARGE, QStringLiteral("The message is too long to mail."));
    // --utf8: the attachment paths are passed in UTF-8, whatever the locale says.
    QStringList arguments{QStringLiteral("--utf8")};
    for (const QString& path : draft.attachmentPaths)
        arguments << QStringLiteral("--attach") << path;
    arguments << uri;

    const ToolRun run = runTool(tool, arguments, QByteArray());
    lastErrorText = run.failure();
    if (!run.started || !run.finished)
        return MAPI_E_FAILURE;
    switch (run.exitCode) {
    case 0:
        return SUCCESS_SUCCESS;
    case 2: // a file given with --attach does not exist
    case 5: // or cannot be read
        return MAPI_E_ATTACHMENT_NOT_FOUND;
    case 3: // no mail client or browser is set up on this desktop
        return MAPI_USER_ABORT;
    default:
        return MAPI_E_FAILURE;
    }
}

QString sendmailProgram() {
    QString program = QStandardPaths::findExecutable(QStringLiteral("sendmail"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(
            QStringLiteral("sendmail"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/lib")});
    return program;
}

MapiULong sendSilently(const MailDraft& draft) {
    if (draft.to.isEmpty() && draft.cc.isEmpty() && draft.bcc.isEmpty())
        return failing(MAPI_E_UNKNOWN_RECIPIENT,
                       QStringLiteral("A message sent without its dialog needs an addressee."));
    const QString program = sendmailProgram();
    if (program.isEmpty())
        return failing(MAPI_USER_ABORT,
                       QStringLiteral("No mail program found: install a mail transfer agent "
                                      "that provides sendmail"));

    QByteArray message;
    try {
        message = MimeMessage(draft, "=_corvel_" + QUuid::createUuid().toByteArray(QUuid::Id128));
    } catch (const std::runtime_error&) {
        return failing(MAPI_E_ATTACHMENT_NOT_FOUND,
                       QStringLiteral("An attached file cannot be read."));
    }
    // -i: a line holding a single "." is message text, not the end of the message.
    const ToolRun run = runTool(program, {QStringLiteral("-t"), QStringLiteral("-i")}, message);
    lastErrorText = run.failure();
    if (!run.started || !run.finished || run.exitCode != 0)
        return MAPI_E_FAILURE;
    return SUCCESS_SUCCESS;
}

} // namespace

int SetMapiToolTimeout(int milliseconds) {
    return toolTimeout().exchange(milliseconds);
}

QString MapiLastErrorText() {
    return lastErrorText;
}

MapiCancelScope::MapiCancelScope(const std::atomic<bool>& cancelled) : previous_(cancelFlag) {
    cancelFlag = &cancelled;
}

MapiCancelScope::~MapiCancelScope() {
    cancelFlag = previous_;
}

MailDraft MailDraftFromMessage(const MapiMessage& message) {
    MailDraft draft;
    draft.subject = fromUtf8(message.lpszSubject);
    draft.body = fromUtf8(message.lpszNoteText);
    if (message.lpOriginator) {
        draft.fromName = fromUtf8(message.lpOriginator->lpszName);
        draft.fromAddress = withoutSmtpPrefix(fromUtf8(message.lpOriginator->lpszAddress));
    }
    for (MapiULong i = 0; message.lpRecips && i < message.nRecipCount; ++i) {
        const MapiRecipDesc& recipient = message.lpRecips[i];
        // A recipient without an address is reached by its name, as a mail client does.
        QString address = fromUtf8(recipient.lpszAddress);
        if (address.isEmpty())
            address = fromUtf8(recipient.lpszName);
        address = withoutSmtpPrefix(address);
        switch (recipient.ulRecipClass) {
        case MAPI_CC:
            draft.cc << address;
            break;
        case MAPI_BCC:
            draft.bcc << address;
            break;
        default:
            draft.to << address;
            break;
        }
    }
    for (MapiULong i = 0; message.lpFiles && i < message.nFileCount; ++i) {
        const MapiFileDesc& file = message.lpFiles[i];
        const QString path = fromUtf8(file.lpszPathName);
        QString name = fromUtf8(file.lpszFileName);
        if (name.isEmpty())
            name = QFileInfo(path).fileName();
        draft.attachmentPaths << path;
        draft.attachmentNames << name;
    }
    return draft;
}

QString MailtoUri(const MailDraft& draft) {
    QStringList to;
    for (const QString& address : draft.to)
        to << percentEncoded(address, true);
    QStringList fields;
    if (!draft.cc.isEmpty()) {
        QStringList cc;
        for (const QString& address : draft.cc)
            cc << percentEncoded(address, true);
        fields << QStringLiteral("cc=") + cc.join(QLatin1Char(','));
    }
    if (!draft.bcc.isEmpty()) {
        QStringList bcc;
        for (const QString& address : draft.bcc)
            bcc << percentEncoded(address, true);
        fields << QStringLiteral("bcc=") + bcc.join(QLatin1Char(','));
    }
    if (!draft.subject.isEmpty())
        fields << QStringLiteral("subject=") + percentEncoded(draft.subject, false);
    if (!draft.body.isEmpty())
        fields << QStringLiteral("body=") + percentEncoded(draft.body, false);

    QString uri = QStringLiteral("mailto:") + to.join(QLatin1Char(','));
    if (!fields.isEmpty())
        uri += QLatin1Char('?') + fields.join(QLatin1Char('&'));
    return uri;
}

QByteArray MimeMessage(const MailDraft& draft, const QByteArray& boundary) {
    QByteArray out;
    if (!draft.fromAddress.isEmpty()) {
        out += "From: ";
        if (!draft.fromName.isEmpty())
            out += headerText(draft.fromName, true) + " ";
        out += "<" + draft.fromAddress.toUtf8() + ">\n";
    }
    if (!draft.to.isEmpty())
        out += "To: " + addressList(draft.to) + "\n";
    if (!draft.cc.isEmpty())
        out += "Cc: " + addressList(draft.cc) + "\n";
    if (!draft.bcc.isEmpty())
        out += "Bcc: " + addressList(draft.bcc) + "\n";
    out += "Subject: " + headerText(draft.subject) + "\n";
    out += "MIME-Version: 1.0\n";

    const QByteArray text = base64Lines(withLfLineEnds(draft.body).toUtf8());
    const QByteArray textHeaders = "Content-Type: text/plain; charset=UTF-8\n"
                                   "Content-Transfer-Encoding: base64\n";
    if (draft.attachmentPaths.isEmpty())
        return out + textHeaders + "\n" + text;

    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\n\n";
    out += "--" + boundary + "\n" + textHeaders + "\n" + text;
    for (qsizetype i = 0; i < draft.attachmentPaths.size(); ++i) {
        QFile file(draft.attachmentPaths[i]);
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("attachment cannot be read");
        const QString name = i < draft.attachmentNames.size()
                                 ? draft.attachmentNames[i]
                                 : QFileInfo(draft.attachmentPaths[i]).fileName();
        out += "--" + boundary + "\n";
        out += "Content-Type: application/octet-stream\n";
        out += "Content-Transfer-Encoding: base64\n";
        out += "Content-Disposition: attachment; " + fileNameParameter(name) + "\n\n";
        out += base64Lines(file.readAll());
    }
    out += "--" + boundary + "--\n";
    return out;
}

MapiULong MAPISendMail(MapiHandle, MapiUIParam, MapiMessage* lpMessage, MapiFlags flFlags,
                       MapiULong) {
    lastErrorText.clear();
    if (!lpMessage)
        return failing(MAPI_E_FAILURE, QStringLiteral("No message was given to send."));
    MailDraft draft = MailDraftFromMessage(*lpMessage);

    for (const QStringList* list : {&draft.to, &draft.cc, &draft.bcc})
        for (const QString& address : *list)
            if (!usableAddress(address))
                return failing(MAPI_E_UNKNOWN_RECIPIENT,
                               QStringLiteral("An addressee is not a usable mail address."));
    if (!draft.fromAddress.isEmpty() && hasControlCharacter(draft.fromAddress))
        return failing(MAPI_E_UNKNOWN_RECIPIENT,
                       QStringLiteral("The sender is not a usable mail address."));

    for (QString& path : draft.attachmentPaths) {
        const QFileInfo info(path);
        if (path.isEmpty() || !info.isFile() || !info.isReadable())
            return failing(MAPI_E_ATTACHMENT_NOT_FOUND,
                           QStringLiteral("An attached file cannot be read: %1").arg(path));
        // Absolute, so that no path can be read as an option by the tools.
        path = info.absoluteFilePath();
    }

    if (flFlags & MAPI_DIALOG)
        return sendThroughComposeWindow(draft);
    return sendSilently(draft);
}

bool MapiMailEnabled() {
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty();
}

LPMAPISENDMAIL MapiGetProcAddress(const char* name) {
    if (name && std::strcmp(name, "MAPISendMail") == 0)
        return &MAPISendMail;
    return nullptr;
}

} // namespace corvel
