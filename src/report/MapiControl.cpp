#include "report/MapiControl.h"

#include <QApplication>
#include <QWidget>

#include <deque>
#include <vector>

namespace corvel {

MapiSendMailResolver::MapiSendMailResolver(EnabledProbe enabled, EntryLookup lookup)
    : enabled_(std::move(enabled)), lookup_(std::move(lookup)) {}

LPMAPISENDMAIL MapiSendMailResolver::sendMail() {
    if (!decided_) {
        decided_ = true;
        // Our mail library is linked into the program, so loading it is only this decision.
        loaded_ = enabled_ && enabled_();
    }
    if (loaded_ && !entry_ && lookup_)
        entry_ = lookup_("MAPISendMail");
    return entry_;
}

MapiSendMailResolver& MapiSendMailResolver::process() {
    static MapiSendMailResolver resolver;
    return resolver;
}

QString MailFileName(const QString& path) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        const bool driveColon = c == QLatin1Char(':') && i == 1 && path[0].isLetter();
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || driveColon)
            start = i + 1;
    }
    return path.mid(start);
}

TMapiControl::TMapiControl(QObject* owner) : QObject(owner) {}

namespace {

/// The native handle of the application's main window, when it has one already; mail dialogs
/// take it as their parent. Asking never creates a native window.
MapiUIParam mainWindowHandle() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("MainForm"))
            return static_cast<MapiUIParam>(widget->internalWinId());
    return 0;
}

} // namespace

struct TMapiControl::OutgoingMail {
    MapiUIParam parent = 0;
    MapiFlags flags = 0;
    // The UTF-8 texts the records point at; a deque never moves what it already holds.
    std::deque<QByteArray> texts;
    std::vector<MapiRecipDesc> recipients;
    std::vector<MapiFileDesc> files;
    MapiRecipDesc sender;
    MapiMessage message;

    char* text(const QString& value) {
        texts.push_back(value.toUtf8());
        return texts.back().data();
    }

    MapiULong submit(LPMAPISENDMAIL sendMail) {
        return sendMail ? sendMail(0, parent, &message, flags, 0) : MAPI_USER_ABORT;
    }
};

std::unique_ptr<TMapiControl::OutgoingMail> TMapiControl::prepareMail() {
    auto mail = std::make_unique<OutgoingMail>();
    mail->parent = mainWindowHandle();

    const qsizetype recipientCount = recipients_.size() + copyTo_.size() + blindCopyTo_.size();
    mail->recipients.resize(static_cast<std::size_t>(recipientCount));

    mail->sender.ulRecipClass = MAPI_ORIG;
    mail->sender.lpszName = mail->text(fromName_);
    mail->sender.lpszAddress = mail->text(fromAdress_);

    MapiMessage& message = mail->message;
    message.lpszSubject = mail->text(subject_);
    message.lpszNoteText = mail->text(body_);
    message.lpOriginator = &mail->sender;
    message.nRecipCount = static_cast<MapiULong>(recipientCount);
    message.lpRecips = recipientCount != 0 ? mail->recipients.data() : nullptr;

    std::size_t next = 0;
    for (const auto& [lines, recipClass] :
         {std::pair{&recipients_, MAPI_TO}, std::pair{&copyTo_, MAPI_CC},
          std::pair{&blindCopyTo_, MAPI_BCC}}) {
        for (const QString& line : *lines) {
            MapiRecipDesc& recipient = mail->recipients[next++];
            recipient.ulRecipClass = recipClass;
            recipient.lpszName = mail->text(line);
            recipient.lpszAddress = mail->text(QStringLiteral("SMTP:") + line);
        }
    }

    if (!attachedFiles_.isEmpty()) {
        mail->files.resize(static_cast<std::size_t>(attachedFiles_.size()));
        displayFileName_.clear();
        for (const QString& path : attachedFiles_)
            displayFileName_ << MailFileName(path);
        for (qsizetype i = 0; i < attachedFiles_.size(); ++i) {
            MapiFileDesc& file = mail->files[static_cast<std::size_t>(i)];
            file.nPosition = static_cast<MapiULong>(-1);
            file.lpszPathName = mail->text(attachedFiles_[i]);
            file.lpszFileName = mail->text(displayFileName_[i]);
        }
        message.nFileCount = static_cast<MapiULong>(mail->files.size());
        message.lpFiles = mail->files.data();
    }

    mail->flags = showDialog_ ? MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_DIALOG : 0;
    return mail;
}

LPMAPISENDMAIL TMapiControl::sendMailEntry() {
    MapiSendMailResolver& resolver = resolver_ ? *resolver_ : MapiSendMailResolver::process();
    return resolver.sendMail();
}

void TMapiControl::raiseEvent(MapiULong result) {
    if (result == SUCCESS_SUCCESS) {
        if (OnSuccess)
            OnSuccess(this);
    } else if (result == MAPI_USER_ABORT) {
        if (OnUserAbort)
            OnUserAbort(this);
    } else if (OnMapiError) {
        OnMapiError(this, static_cast<int>(result));
    }
}

TMapiControl::~TMapiControl() {
    cancelled_ = true;
    if (worker_.joinable())
        worker_.join();
}

void TMapiControl::SendMail() {
    const std::unique_ptr<OutgoingMail> mail = prepareMail();
    const LPMAPISENDMAIL sendMail = sendMailEntry();
    const MapiULong result = mail->submit(sendMail);
    lastErrorText_ = !sendMail                   ? QString::fromLatin1(kNoMailProgramText)
                     : result == SUCCESS_SUCCESS ? QString()
                                                 : MapiLastErrorText();
    raiseEvent(result);
}

bool TMapiControl::SendMailInBackground(SendFinished finished) {
    if (sending_)
        return false;
    // The message and the entry are made here: the properties and the resolver belong to
    // this object's thread. The worker owns the message from now on.
    std::shared_ptr<OutgoingMail> mail = prepareMail();
    const LPMAPISENDMAIL sendMail = sendMailEntry();
    if (worker_.joinable())
        worker_.join(); // the previous worker has reported its result and is ending
    sending_ = true;
    cancelled_ = false;
    worker_ = std::thread([this, mail, sendMail, finished = std::move(finished)]() mutable {
        MapiULong result = MAPI_E_FAILURE;
        QString errorText;
        try {
            const MapiCancelScope cancel(cancelled_);
            result = mail->submit(sendMail);
            errorText = !sendMail                   ? QString::fromLatin1(kNoMailProgramText)
                        : result == SUCCESS_SUCCESS ? QString()
                                                    : MapiLastErrorText();
        } catch (const std::exception& error) {
            result = MAPI_E_FAILURE;
            errorText = QStringLiteral("The mail program failed: %1")
                            .arg(QString::fromLocal8Bit(error.what()));
        }
        mail.reset();
        // Delivered on this object's thread; dropped if the object is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, result, errorText, finished = std::move(finished)] {
                sending_ = false;
                lastErrorText_ = errorText;
                raiseEvent(result);
                if (finished)
                    finished(static_cast<int>(result), errorText);
            },
            Qt::QueuedConnection);
    });
    return true;
}

} // namespace corvel
