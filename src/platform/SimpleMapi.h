#pragma once

// Our stand-in for the Simple MAPI mail library: the records and result codes of its
// MAPISendMail call, and an implementation that hands the message to the desktop's mail tools.
//
// With the compose-dialog flag the message goes to `xdg-email`, which opens the user's mail
// client with everything filled in. Without it the message is handed to the system's
// `sendmail -t` as a MIME message. Both tools are run directly as processes, never through a
// shell, so no text of the message can ever be read as a command.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>

namespace corvel {

// Integer types of the Simple MAPI interface.
using MapiULong = std::uint32_t;
using MapiFlags = std::uint32_t;
using MapiHandle = std::uintptr_t;
using MapiUIParam = std::uintptr_t;

/// One addressee (or the sender) of a message.
struct MapiRecipDesc {
    MapiULong ulReserved = 0;
    MapiULong ulRecipClass = 0; ///< 0 originator, 1 To, 2 Cc, 3 Bcc
    char* lpszName = nullptr;
    char* lpszAddress = nullptr; ///< "SMTP:" followed by the Internet address
    MapiULong ulEIDSize = 0;
    void* lpEntryID = nullptr;
};

/// One attached file.
struct MapiFileDesc {
    MapiULong ulReserved = 0;
    MapiULong flFlags = 0;
    MapiULong nPosition = 0; ///< 0xFFFFFFFF (-1): no position in the body
    char* lpszPathName = nullptr;
    char* lpszFileName = nullptr; ///< the name the receiver sees
    void* lpFileType = nullptr;
};

/// The message handed to MAPISendMail. All texts are UTF-8.
struct MapiMessage {
    MapiULong ulReserved = 0;
    char* lpszSubject = nullptr;
    char* lpszNoteText = nullptr;
    char* lpszMessageType = nullptr;
    char* lpszDateReceived = nullptr;
    char* lpszConversationID = nullptr;
    MapiFlags flFlags = 0;
    MapiRecipDesc* lpOriginator = nullptr;
    MapiULong nRecipCount = 0;
    MapiRecipDesc* lpRecips = nullptr;
    MapiULong nFileCount = 0;
    MapiFileDesc* lpFiles = nullptr;
};

// Recipient classes.
inline constexpr MapiULong MAPI_ORIG = 0;
inline constexpr MapiULong MAPI_TO = 1;
inline constexpr MapiULong MAPI_CC = 2;
inline constexpr MapiULong MAPI_BCC = 3;

// Flags of MAPISendMail.
inline constexpr MapiFlags MAPI_LOGON_UI = 0x1;
inline constexpr MapiFlags MAPI_NEW_SESSION = 0x2;
inline constexpr MapiFlags MAPI_DIALOG = 0x8;

// Results of MAPISendMail.
inline constexpr MapiULong SUCCESS_SUCCESS = 0;
inline constexpr MapiULong MAPI_USER_ABORT = 1;
inline constexpr MapiULong MAPI_E_FAILURE = 2;
inline constexpr MapiULong MAPI_E_ATTACHMENT_NOT_FOUND = 11;
inline constexpr MapiULong MAPI_E_UNKNOWN_RECIPIENT = 14;
inline constexpr MapiULong MAPI_E_TEXT_TOO_LARGE = 18;

/// The signature of MAPISendMail, as a resolved entry point is called.
using LPMAPISENDMAIL = MapiULong (*)(MapiHandle lhSession, MapiUIParam ulUIParam,
                                     MapiMessage* lpMessage, MapiFlags flFlags,
                                     MapiULong ulReserved);

/// Sends `lpMessage`: with MAPI_DIALOG through `xdg-email` (the user's compose window), else
/// through `sendmail -t`. Returns SUCCESS_SUCCESS; MAPI_USER_ABORT when the needed tool is not
/// installed or the desktop has no mail client; MAPI_E_ATTACHMENT_NOT_FOUND when an attached
/// path is not a readable file; MAPI_E_UNKNOWN_RECIPIENT for an empty address or one holding
/// control characters, or a silent send without addressees; MAPI_E_TEXT_TOO_LARGE when the
/// message is too long to pass to the compose window; MAPI_E_FAILURE for anything else.
/// Session handle, parent window and reserved value are not used.
MapiULong MAPISendMail(MapiHandle lhSession, MapiUIParam ulUIParam, MapiMessage* lpMessage,
                       MapiFlags flFlags, MapiULong ulReserved);

/// Whether mail is enabled on this desktop: `xdg-email` can be found on the PATH.
bool MapiMailEnabled();

/// The library's entry point of the given name (only "MAPISendMail"), or null.
LPMAPISENDMAIL MapiGetProcAddress(const char* name);

/// Why the last MAPISendMail call on this thread did not succeed, in words for the user (e.g.
/// "The mail program failed (exit 3)"); empty after a success.
QString MapiLastErrorText();

/// What to tell the user when no mail program is installed.
inline constexpr const char* kNoMailProgramText = "No mail program found: install xdg-utils";

/// While alive, a MAPISendMail call on this thread stops waiting for its mail tool, kills it and
/// fails as soon as `cancelled` turns true (set from any thread): a program that is closing
/// does not wait for a hung mail tool.
class MapiCancelScope {
public:
    explicit MapiCancelScope(const std::atomic<bool>& cancelled);
    ~MapiCancelScope();
    MapiCancelScope(const MapiCancelScope&) = delete;
    MapiCancelScope& operator=(const MapiCancelScope&) = delete;

private:
    const std::atomic<bool>* previous_;
};

/// Longest time [ms] a mail tool may run before the send gives up, kills it and fails;
/// returns the previous limit. The default, 120 s, leaves a terminal mail client time for a
/// short message while a hung tool cannot block the program for good.
int SetMapiToolTimeout(int milliseconds);

/// The message as the mail tools receive it: addresses without their "SMTP:" prefix, absolute
/// attachment paths.
struct MailDraft {
    QString subject;
    QString body;
    QString fromName;
    QString fromAddress;
    QStringList to;
    QStringList cc;
    QStringList bcc;
    QStringList attachmentPaths;
    QStringList attachmentNames;
};

/// Reads `message` into a draft, dropping one leading "SMTP:" (any case) of each address.
MailDraft MailDraftFromMessage(const MapiMessage& message);

/// The "mailto:" address (RFC 6068) for the draft's addressees, subject and body; every
/// character outside the unreserved set is percent-encoded in UTF-8 and line ends become %0D%0A.
QString MailtoUri(const MailDraft& draft);

/// The draft as an RFC 5322 / MIME message for `sendmail -t`: headers with RFC 2047 encoded
/// words where needed, a UTF-8 text part and one base64 part per attachment, separated by
/// `boundary`. Line ends are LF, as a local mail submission program expects.
QByteArray MimeMessage(const MailDraft& draft, const QByteArray& boundary);

} // namespace corvel
