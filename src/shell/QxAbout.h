#pragma once

// The about box form, made for one showing and destroyed after it.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace corvel {

class TURLLabel;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* Splash = nullptr;
    QLabel* DeveloperName = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Description = nullptr;
    QLabel* CopyrightNotice = nullptr;
    QPlainTextEdit* DetailMemo = nullptr;
    QLabel* LEMail = nullptr;
    TURLLabel* EMailLabel = nullptr;
    QLabel* LWeb = nullptr;
    TURLLabel* WebLabel = nullptr;
    QCheckBox* CBSplash = nullptr;
    QPushButton* OKBtn = nullptr;
    QStatusBar* Comment = nullptr;
};

} // namespace corvel
