#include "shell/QxAboutDlg.h"

#include "platform/RegIniFile.h"
#include "shell/Folders.h"
#include "shell/QxAbout.h"
#include "shell/URLLabel.h"

#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

namespace corvel {

TAboutBoxDlg::TAboutBoxDlg(QObject* owner)
    : QObject(owner), developerName_(QStringLiteral("Kestrone")),
      productName_(QStringLiteral("Kestrone Engineering Tools")),
      version_(QStringLiteral("1.0.0.0")),
      copyright_(QStringLiteral("Copyright © 2026 Kestrone. All rights reserved.")),
      email_(QStringLiteral("support@kestrone.example")),
      webCaption_(QStringLiteral("www.kestrone.example")),
      webUrl_(QStringLiteral("www.kestrone.example")), comment_(QStringLiteral("Loading...")) {
    productFont_ = ImpactFont(29); // 22 pt at 96 pixels per inch
}

QFont ImpactFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Impact"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

void StoreShowAtStartup(bool value) {
    Shell().ShowAtStartup = value;
    try {
        TRegIniFile(Shell().SettingsKeyName).WriteBool("Settings", "SplashScreen", value);
    } catch (const std::exception&) {
        // The preference stays for this run; a settings store that cannot be written is not
        // worth interrupting the user for.
    }
}

void TAboutBoxDlg::FillForm(TAboutBox& form) {
    if (productName_.isEmpty())
        productName_ = QApplication::applicationDisplayName().isEmpty()
                           ? QApplication::applicationName()
                           : QApplication::applicationDisplayName();
    form.DeveloperName->setText(developerName_);
    form.ProductName->setText(productName_);
    form.ProductName->setFont(productFont_);
    QPalette palette = form.ProductName->palette();
    palette.setColor(QPalette::WindowText, productFontColor_.isValid()
                                               ? productFontColor_
                                               : palette.color(QPalette::ButtonText));
    form.ProductName->setPalette(palette);
    form.Version->setText(QStringLiteral("Version ") + version_);
    form.Description->setText(description_);
    form.CopyrightNotice->setText(copyright_);
    form.EMailLabel->SetURL(QStringLiteral("mailto:") + email_);
    form.EMailLabel->SetCaption(email_);
    form.WebLabel->SetURL(QStringLiteral("http://") + webUrl_);
    form.WebLabel->SetCaption(webCaption_);
    form.Comment->showMessage(comment_);
    form.setWindowTitle(QStringLiteral("About ") + productName_);
    form.Splash->setScaledContents(stretchPic_);
    form.Splash->setPixmap(picture_);
    form.DetailMemo->clear();
    for (const QString& line : detailLines_)
        form.DetailMemo->appendPlainText(line);
    form.DetailMemo->setVisible(showMemo_);
}

bool TAboutBoxDlg::ShowAbout() {
    TAboutBox form(QApplication::activeWindow());
    bool accepted = false;
    try {
        FillForm(form);
        form.OKBtn->setVisible(true);
        form.EMailLabel->setVisible(true);
        form.LEMail->setVisible(true);
        form.CBSplash->setVisible(true);
        form.CBSplash->setChecked(Shell().ShowAtStartup);
        form.LWeb->setVisible(showWebb_);
        form.WebLabel->setVisible(showWebb_);
        form.Comment->setVisible(false);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            form.move(screen->availableGeometry().center() - form.rect().center());
        accepted = (RunForm ? RunForm(form) : form.exec()) == QDialog::Accepted;
    } catch (...) {
        StoreShowAtStartup(form.CBSplash->isChecked());
        throw;
    }
    StoreShowAtStartup(form.CBSplash->isChecked());
    return accepted;
}

} // namespace corvel
