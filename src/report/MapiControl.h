#pragma once

// TMapiControl: hands one message to the system's mail client through Simple MAPI, optionally
// through the client's own compose dialog. Outcomes come back only as events.

#include "platform/SimpleMapi.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace corvel {

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TMapiErrEvent = std::function<void(QObject* Sender, int ErrCode)>;

/// Reaches MAPISendMail the way a program reaches the mail library: whether mail is enabled is
/// decided once, the library is then loaded once and stays loaded, and the entry point is
/// looked up on each send until it has been found.
class MapiSendMailResolver {
public:
    using EnabledProbe = std::function<bool()>;
    using EntryLookup = std::function<LPMAPISENDMAIL(const char* name)>;

    explicit MapiSendMailResolver(EnabledProbe enabled = MapiMailEnabled,
                                  EntryLookup lookup = MapiGetProcAddress);

    /// The MAPISendMail entry, or null when mail is not enabled or the entry is missing.
    LPMAPISENDMAIL sendMail();

    /// The one resolver of the process, used by every TMapiControl unless told otherwise.
    static MapiSendMailResolver& process();

private:
    EnabledProbe enabled_;
    EntryLookup lookup_;
    bool decided_ = false;
    bool loaded_ = false;
    LPMAPISENDMAIL entry_ = nullptr;
};

/// The bare file name of `path`: the text after its last "/" or "\" or after a drive colon
/// ("C:b.dat" gives "b.dat").
QString MailFileName(const QString& path);

class TMapiControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Subject READ Subject WRITE setSubject)
    Q_PROPERTY(QString Body READ Body WRITE setBody)
    Q_PROPERTY(QString FromName READ FromName WRITE setFromName)
    Q_PROPERTY(QString FromAdress READ FromAdress WRITE setFromAdress)
    Q_PROPERTY(QStringList Recipients READ Recipients WRITE setRecipients)
    Q_PROPERTY(QStringList CopyTo READ CopyTo WRITE setCopyTo)
    Q_PROPERTY(QStringList BlindCopyTo READ BlindCopyTo WRITE setBlindCopyTo)
    Q_PROPERTY(QStringList AttachedFiles READ AttachedFiles WRITE setAttachedFiles)
    Q_PROPERTY(QStringList DisplayFileName READ DisplayFileName)
    Q_PROPERTY(bool ShowDialog READ ShowDialog WRITE setShowDialog)
    Q_PROPERTY(bool UseAppHandle READ UseAppHandle WRITE setUseAppHandle)

public:
    explicit TMapiControl(QObject* owner = nullptr);
    /// Cancels a pending background send (its mail program is stopped) and waits for it.
    ~TMapiControl() override;

    const QString& Subject() const { return subject_; }
    void setSubject(const QString& value) { subject_ = value; }
    const QString& Body() const { return body_; }
    void setBody(const QString& value) { body_ = value; }
    const QString& FromName() const { return fromName_; }
    void setFromName(const QString& value) { fromName_ = value; }
    const QString& FromAdress() const { return fromAdress_; }
    void setFromAdress(const QString& value) { fromAdress_ = value; }

    // The four lists are the component's own: setters copy the given lines, and the
    // non-const accessors edit the component's list in place.
    const QStringList& Recipients() const { return recipients_; }
    QStringList& Recipients() { return recipients_; }
    void setRecipients(const QStringList& lines) { recipients_ = lines; }
    const QStringList& CopyTo() const { return copyTo_; }
    QStringList& CopyTo() { return copyTo_; }
    void setCopyTo(const QStringList& lines) { copyTo_ = lines; }
    const QStringList& BlindCopyTo() const { return blindCopyTo_; }
    QStringList& BlindCopyTo() { return blindCopyTo_; }
    void setBlindCopyTo(const QStringList& lines) { blindCopyTo_ = lines; }
    const QStringList& AttachedFiles() const { return attachedFiles_; }
    QStringList& AttachedFiles() { return attachedFiles_; }
    void setAttachedFiles(const QStringList& lines) { attachedFiles_ = lines; }

    /// The bare names of the files of the last send that had attachments.
    const QStringList& DisplayFileName() const { return displayFileName_; }

    bool ShowDialog() const { return showDialog_; }
    void setShowDialog(bool value) { showDialog_ = value; }
    /// Kept with the component's settings; the send does not consult it.
    bool UseAppHandle() const { return useAppHandle_; }
    void setUseAppHandle(bool value) { useAppHandle_ = value; }

    TNotifyEvent OnUserAbort;  ///< the send ended in a user abort or mail is unavailable
    TMapiErrEvent OnMapiError; ///< the send ended with any other error code
    TNotifyEvent OnSuccess;    ///< the send succeeded

    /// Builds the message from the properties, submits it (through the compose dialog when
    /// ShowDialog is set) and raises the one event that matches the result. Everything built
    /// for the call is released, also when a step throws; the exception then goes on.
    void SendMail();

    /// Called with the result code and LastErrorText once a background send has ended.
    using SendFinished = std::function<void(int result, const QString& errorText)>;

    /// As SendMail, but the mail library is called on a thread of its own, so a mail program
    /// that takes its time never blocks the caller's thread. The message is built from the
    /// properties at once; the matching event and then `finished` follow on this object's
    /// thread when the send has ended (an exception of the mail library counts as result
    /// MAPI_E_FAILURE). Returns false, and sends nothing, while an earlier send is pending.
    bool SendMailInBackground(SendFinished finished = nullptr);

    /// Whether a background send has not ended yet.
    bool Sending() const { return sending_; }

    /// Why the last send did not succeed, in words for the user; empty after a success or
    /// when the mail library gave no reason.
    const QString& LastErrorText() const { return lastErrorText_; }

    /// Uses `resolver` to reach MAPISendMail instead of the process-wide one (null restores it).
    void setResolver(MapiSendMailResolver* resolver) { resolver_ = resolver; }

private:
    struct OutgoingMail;
    /// The message as the mail library receives it, built from the properties.
    std::unique_ptr<OutgoingMail> prepareMail();
    LPMAPISENDMAIL sendMailEntry();
    void raiseEvent(MapiULong result);

    QString subject_;
    QString body_;
    QString fromName_;
    QString fromAdress_;
    QStringList recipients_;
    QStringList copyTo_;
    QStringList blindCopyTo_;
    QStringList attachedFiles_;
    QStringList displayFileName_;
    bool showDialog_ = false;
    bool useAppHandle_ = false;
    MapiSendMailResolver* resolver_ = nullptr;
    QString lastErrorText_;
    bool sending_ = false;
    std::atomic<bool> cancelled_{false};
    std::thread worker_;
};

} // namespace corvel
