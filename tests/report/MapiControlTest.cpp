// The message records TMapiControl hands to MAPISendMail, and how results become events.

#include "report/MapiControl.h"
#include "ReportTestSupport.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace corvel {
namespace {

struct RecordedRecipient {
    MapiULong reserved;
    MapiULong recipClass;
    std::string name;
    std::string address;
    MapiULong eidSize;
    bool entryIdNull;
};

struct RecordedFile {
    MapiULong reserved;
    MapiULong flags;
    MapiULong position;
    std::string pathName;
    std::string fileName;
    bool fileTypeNull;
};

/// A deep copy of what the fake MAPISendMail received.
struct RecordedSend {
    int calls = 0;
    MapiHandle session = 99;
    MapiFlags flags = 99;
    MapiULong reserved = 99;
    MapiULong messageReserved = 99;
    std::string subject;
    std::string noteText;
    bool typeDateConversationNull = false;
    MapiFlags messageFlags = 99;
    RecordedRecipient originator{};
    MapiULong recipCount = 99;
    bool recipsNull = false;
    std::vector<RecordedRecipient> recipients;
    MapiULong fileCount = 99;
    bool filesNull = false;
    std::vector<RecordedFile> files;
};

RecordedSend recorded;
MapiULong fakeResult = SUCCESS_SUCCESS;

RecordedRecipient copyRecipient(const MapiRecipDesc& r) {
    return {r.ulReserved,
            r.ulRecipClass,
            r.lpszName ? r.lpszName : "<null>",
            r.lpszAddress ? r.lpszAddress : "<null>",
            r.ulEIDSize,
            r.lpEntryID == nullptr};
}

MapiULong fakeSendMail(MapiHandle session, MapiUIParam, MapiMessage* m, MapiFlags flags,
                       MapiULong reserved) {
    RecordedSend& r = recorded;
    ++r.calls;
    r.session = session;
    r.flags = flags;
    r.reserved = reserved;
    r.messageReserved = m->ulReserved;
    r.subject = m->lpszSubject;
    r.noteText = m->lpszNoteText;
    r.typeDateConversationNull =
        !m->lpszMessageType && !m->lpszDateReceived && !m->lpszConversationID;
    r.messageFlags = m->flFlags;
    r.originator = copyRecipient(*m->lpOriginator);
    r.recipCount = m->nRecipCount;
    r.recipsNull = m->lpRecips == nullptr;
    r.recipients.clear();
    for (MapiULong i = 0; i < m->nRecipCount; ++i)
        r.recipients.push_back(copyRecipient(m->lpRecips[i]));
    r.fileCount = m->nFileCount;
    r.filesNull = m->lpFiles == nullptr;
    r.files.clear();
    for (MapiULong i = 0; i < m->nFileCount; ++i) {
        const MapiFileDesc& f = m->lpFiles[i];
        r.files.push_back({f.ulReserved, f.flFlags, f.nPosition, f.lpszPathName, f.lpszFileName,
                           f.lpFileType == nullptr});
    }
    return fakeResult;
}

MapiULong throwingSendMail(MapiHandle, MapiUIParam, MapiMessage*, MapiFlags, MapiULong) {
    throw std::runtime_error("mail library failed");
}

/// Counts the outcomes a control reports.
struct Outcomes {
    int success = 0;
    int userAbort = 0;
    std::vector<int> errors;

    void attach(TMapiControl& control) {
        control.OnSuccess = [this](QObject*) { ++success; };
        control.OnUserAbort = [this](QObject*) { ++userAbort; };
        control.OnMapiError = [this](QObject*, int code) { errors.push_back(code); };
    }
};

class MapiControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        recorded = RecordedSend{};
        fakeResult = SUCCESS_SUCCESS;
        control.setResolver(&resolver);
        outcomes.attach(control);
    }

    MapiSendMailResolver resolver{[] { return true; }, [](const char*) { return &fakeSendMail; }};
    TMapiControl control;
    Outcomes outcomes;
};

TEST_F(MapiControlTest, AddresseesOfAllListsComeInToCcBccOrderWithSmtpAddresses) {
    control.setSubject(QStringLiteral("Corvel"));
    control.setBody(QStringLiteral("Line 1\r\nLine 2"));
    control.setFromName(QStringLiteral("Pipe Desk"));
    control.setFromAdress(QStringLiteral("desk@example.com"));
    control.setRecipients({QStringLiteral("a@x.org"), QStringLiteral("SMTP:b@x.org")});
    control.setCopyTo({QStringLiteral("c@x.org")});
    control.setBlindCopyTo({QStringLiteral("d@x.org"), QStringLiteral("e f@x.org")});
    control.setShowDialog(true);
    control.SendMail();

    ASSERT_EQ(recorded.calls, 1);
    EXPECT_EQ(recorded.session, 0u);
    EXPECT_EQ(recorded.flags, 11u);
    EXPECT_EQ(recorded.reserved, 0u);
    EXPECT_EQ(recorded.messageReserved, 0u);
    EXPECT_EQ(recorded.subject, "Corvel");
    EXPECT_EQ(recorded.noteText, "Line 1\r\nLine 2");
    EXPECT_TRUE(recorded.typeDateConversationNull);
    EXPECT_EQ(recorded.messageFlags, 0u);

    EXPECT_EQ(recorded.originator.recipClass, MAPI_ORIG);
    EXPECT_EQ(recorded.originator.name, "Pipe Desk");
    EXPECT_EQ(recorded.originator.address, "desk@example.com");

    struct Expected {
        MapiULong recipClass;
        const char* name;
        const char* address;
    };
    const Expected expected[] = {
        {1, "a@x.org", "SMTP:a@x.org"},     {1, "SMTP:b@x.org", "SMTP:SMTP:b@x.org"},
        {2, "c@x.org", "SMTP:c@x.org"},     {3, "d@x.org", "SMTP:d@x.org"},
        {3, "e f@x.org", "SMTP:e f@x.org"},
    };
    ASSERT_EQ(recorded.recipCount, 5u);
    ASSERT_EQ(recorded.recipients.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const RecordedRecipient& r = recorded.recipients[i];
        EXPECT_EQ(r.reserved, 0u);
        EXPECT_EQ(r.recipClass, expected[i].recipClass);
        EXPECT_EQ(r.name, expected[i].name);
        EXPECT_EQ(r.address, expected[i].address);
        EXPECT_EQ(r.eidSize, 0u);
        EXPECT_TRUE(r.entryIdNull);
    }
    EXPECT_EQ(outcomes.success, 1);
}

TEST_F(MapiControlTest, NoAddresseesAndNoFilesGiveNullArraysAndSilentFlags) {
    control.SendMail();
    ASSERT_EQ(recorded.calls, 1);
    EXPECT_EQ(recorded.flags, 0u);
    EXPECT_EQ(recorded.recipCount, 0u);
    EXPECT_TRUE(recorded.recipsNull);
    EXPECT_EQ(recorded.fileCount, 0u);
    EXPECT_TRUE(recorded.filesNull);
}

TEST_F(MapiControlTest, AttachedFilesGiveBareDisplayNamesKeptUntilTheNextAttachment) {
    control.setAttachedFiles({QStringLiteral("C:\\a\\b.dat"), QStringLiteral("d.dat"),
                              QStringLiteral("/tmp/x/e.txt"), QStringLiteral("D:f.ini")});
    control.SendMail();
    const QStringList names{QStringLiteral("b.dat"), QStringLiteral("d.dat"),
                            QStringLiteral("e.txt"), QStringLiteral("f.ini")};
    EXPECT_EQ(control.DisplayFileName(), names);
    ASSERT_EQ(recorded.fileCount, 4u);
    ASSERT_EQ(recorded.files.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const RecordedFile& f = recorded.files[i];
        EXPECT_EQ(f.reserved, 0u);
        EXPECT_EQ(f.flags, 0u);
        EXPECT_EQ(f.position, 0xFFFFFFFFu);
        EXPECT_EQ(f.pathName, control.AttachedFiles()[qsizetype(i)].toStdString());
        EXPECT_EQ(f.fileName, names[qsizetype(i)].toStdString());
        EXPECT_TRUE(f.fileTypeNull);
    }

    control.AttachedFiles().clear();
    control.SendMail();
    EXPECT_EQ(control.DisplayFileName(), names);
    EXPECT_EQ(recorded.fileCount, 0u);
    EXPECT_TRUE(recorded.filesNull);
}

TEST_F(MapiControlTest, EachResultRaisesItsOneEvent) {
    struct Row {
        MapiULong result;
        int success;
        int userAbort;
        std::vector<int> errors;
    };
    const Row rows[] = {
        {SUCCESS_SUCCESS, 1, 0, {}},
        {MAPI_USER_ABORT, 0, 1, {}},
        {MAPI_E_FAILURE, 0, 0, {2}},
        {MAPI_E_ATTACHMENT_NOT_FOUND, 0, 0, {11}},
        {26, 0, 0, {26}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.result);
        Outcomes fresh;
        fresh.attach(control);
        fakeResult = row.result;
        control.SendMail();
        EXPECT_EQ(fresh.success, row.success);
        EXPECT_EQ(fresh.userAbort, row.userAbort);
        EXPECT_EQ(fresh.errors, row.errors);
    }
}

TEST_F(MapiControlTest, UnassignedEventsAreSkipped) {
    control.OnSuccess = nullptr;
    control.OnUserAbort = nullptr;
    control.OnMapiError = nullptr;
    for (MapiULong result : {SUCCESS_SUCCESS, MAPI_USER_ABORT, MAPI_E_FAILURE}) {
        fakeResult = result;
        EXPECT_NO_THROW(control.SendMail());
    }
    EXPECT_EQ(recorded.calls, 3);
}

TEST_F(MapiControlTest, MailNotEnabledIsUserAbortDecidedOnce) {
    int probes = 0;
    int lookups = 0;
    MapiSendMailResolver disabled([&probes] { return ++probes, false; },
                                  [&lookups](const char*) { return ++lookups, &fakeSendMail; });
    control.setResolver(&disabled);
    control.SendMail();
    control.SendMail();
    EXPECT_EQ(outcomes.userAbort, 2);
    EXPECT_TRUE(outcomes.errors.empty());
    EXPECT_EQ(probes, 1);
    EXPECT_EQ(lookups, 0);
    EXPECT_EQ(recorded.calls, 0);
}

TEST_F(MapiControlTest, MissingEntryIsLookedUpAgainUntilFound) {
    int probes = 0;
    int lookups = 0;
    MapiSendMailResolver lateEntry([&probes] { return ++probes, true; },
                                   [&lookups](const char* name) -> LPMAPISENDMAIL {
                                       EXPECT_STREQ(name, "MAPISendMail");
                                       return ++lookups == 1 ? nullptr : &fakeSendMail;
                                   });
    control.setResolver(&lateEntry);
    control.SendMail();
    EXPECT_EQ(outcomes.userAbort, 1);
    control.SendMail();
    control.SendMail();
    EXPECT_EQ(outcomes.success, 2);
    EXPECT_EQ(probes, 1);
    EXPECT_EQ(lookups, 2);
}

TEST_F(MapiControlTest, FailingSendPassesItsExceptionOnAndRaisesNoEvent) {
    MapiSendMailResolver throwing([] { return true; },
                                  [](const char*) { return &throwingSendMail; });
    control.setResolver(&throwing);
    control.setRecipients({QStringLiteral("a@x.org")});
    control.setAttachedFiles({QStringLiteral("/a/b.dat")});
    EXPECT_THROW(control.SendMail(), std::runtime_error);
    EXPECT_EQ(outcomes.success + outcomes.userAbort, 0);
    EXPECT_TRUE(outcomes.errors.empty());
}

std::atomic<bool> gateOpen{false};
std::atomic<std::thread::id> sendThread;

/// The fake mail library, held until the test opens the gate.
MapiULong gatedSendMail(MapiHandle session, MapiUIParam parent, MapiMessage* m, MapiFlags flags,
                        MapiULong reserved) {
    sendThread = std::this_thread::get_id();
    while (!gateOpen)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return fakeSendMail(session, parent, m, flags, reserved);
}

TEST_F(MapiControlTest, BackgroundSendRunsBesideTheCallerAndReportsOnItsThread) {
    test::EnsureApplication();
    gateOpen = false;
    MapiSendMailResolver gated([] { return true; }, [](const char*) { return &gatedSendMail; });
    control.setResolver(&gated);
    control.setSubject(QStringLiteral("Corvel"));
    control.setBody(QStringLiteral("Report"));
    QThread* eventThread = nullptr;
    control.OnSuccess = [&](QObject*) {
        ++outcomes.success;
        eventThread = QThread::currentThread();
    };
    std::vector<int> finished;
    ASSERT_TRUE(control.SendMailInBackground([&](int result, const QString& errorText) {
        finished.push_back(result);
        EXPECT_TRUE(errorText.isEmpty());
    }));
    EXPECT_TRUE(control.Sending());
    // Changed properties after the start do not reach the pending message.
    control.setSubject(QStringLiteral("changed"));
    EXPECT_FALSE(control.SendMailInBackground()) << "one send at a time";

    QTest::qWait(50);
    EXPECT_EQ(outcomes.success, 0) << "no outcome before the mail library has returned";
    gateOpen = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !control.Sending(); }, 5000));
    EXPECT_EQ(outcomes.success, 1);
    EXPECT_EQ(finished, std::vector<int>{0});
    EXPECT_EQ(recorded.calls, 1);
    EXPECT_EQ(recorded.subject, "Corvel");
    EXPECT_EQ(recorded.noteText, "Report");
    EXPECT_NE(sendThread.load(), std::this_thread::get_id());
    EXPECT_EQ(eventThread, QThread::currentThread());

    EXPECT_TRUE(control.SendMailInBackground()) << "free again once the send has ended";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !control.Sending(); }, 5000));
    EXPECT_EQ(outcomes.success, 2);
}

TEST_F(MapiControlTest, BackgroundSendTurnsAnExceptionIntoAFailure) {
    test::EnsureApplication();
    MapiSendMailResolver throwing([] { return true; },
                                  [](const char*) { return &throwingSendMail; });
    control.setResolver(&throwing);
    ASSERT_TRUE(control.SendMailInBackground());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !control.Sending(); }, 5000));
    EXPECT_EQ(outcomes.errors, std::vector<int>{int(MAPI_E_FAILURE)});
    EXPECT_TRUE(control.LastErrorText().contains(QStringLiteral("mail library failed")))
        << control.LastErrorText().toStdString();
}

TEST(MailFileNameTest, TakesTheTextAfterTheLastDelimiterOrDriveColon) {
    const std::pair<const char*, const char*> rows[] = {
        {"C:\\a\\b.dat", "b.dat"},
        {"d.dat", "d.dat"},
        {"C:b.dat", "b.dat"},
        {"/home/u/r.pdf", "r.pdf"},
        {"dir/", ""},
        {"ab:c", "ab:c"},
        {"", ""},
        {"x\\y/z.txt", "z.txt"},
    };
    for (const auto& [path, name] : rows)
        EXPECT_EQ(MailFileName(QString::fromUtf8(path)), QString::fromUtf8(name)) << path;
}

} // namespace
} // namespace corvel
