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

void TMapiControl::SendMail() {
    const MapiUIParam parent = mainWindowHandle();

    // The UTF-8 texts the records point at; a deque never moves what it already holds.
    std::deque<QByteArray> texts;
    auto text = [&texts](const QString& value) {
        texts.push_back(value.toUtf8());
        return texts.back().data();
    };

    const qsizetype recipientCount = recipients_.size() + copyTo_.size() + blindCopyTo_.size();
    std::vector<MapiRecipDesc> recipients(static_cast<std::size_t>(recipientCount));

    MapiRecipDesc sender;
    sender.ulRecipClass = MAPI_ORIG;
    sender.lpszName = text(fromName_);
    sender.lpszAddress = text(fromAdress_);

    MapiMessage message;
    message.lpszSubject = text(subject_);
    message.lpszNoteText = text(body_);
    message.lpOriginator = &sender;
    message.nRecipCount = static_cast<MapiULong>(recipientCount);
    message.lpRecips = recipientCount != 0 ? recipients.data() : nullptr;

    std::size_t next = 0;
    for (const auto& [lines, recipClass] :
         {std::pair{&recipients_, MAPI_TO}, std::pair{&copyTo_, MAPI_CC},
          std::pair{&blindCopyTo_, MAPI_BCC}}) {
        for (const QString& line : *lines) {
            MapiRecipDesc& recipient = recipients[next++];
            recipient.ulRecipClass = recipClass;
            recipient.lpszName = text(line);
            recipient.lpszAddress = text(QStringLiteral("SMTP:") + line);
        }
    }

    std::vector<MapiFileDesc> files;
    if (!attachedFiles_.isEmpty()) {
        files.resize(static_cast<std::size_t>(attachedFiles_.size()));
        displayFileName_.clear();
        for (const QString& path : attachedFiles_)
            displayFileName_ << MailFileName(path);
        for (qsizetype i = 0; i < attachedFiles_.size(); ++i) {
            MapiFileDesc& file = files[static_cast<std::size_t>(i)];
            file.nPosition = static_cast<MapiULong>(-1);
            file.lpszPathName = text(attachedFiles_[i]);
            file.lpszFileName = text(displayFileName_[i]);
        }
        message.nFileCount = static_cast<MapiULong>(files.size());
        message.lpFiles = files.data();
    }

    const MapiFlags flags = showDialog_ ? MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_DIALOG : 0;
    MapiSendMailResolver& resolver = resolver_ ? *resolver_ : MapiSendMailResolver::process();
    const LPMAPISENDMAIL sendMail = resolver.sendMail();
    const MapiULong result = sendMail ? sendMail(0, parent, &message, flags, 0) : MAPI_USER_ABORT;

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

} // namespace corvel
