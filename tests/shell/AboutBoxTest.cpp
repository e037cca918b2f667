#include "shell/QxAboutDlg.h"

#include "platform/RegIniFile.h"
#include "shell/Folders.h"
#include "shell/QxAbout.h"
#include "shell/URLLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

namespace corvel {
namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        Shell().SettingsKeyName = "Software\\Kestrone\\corvel-about-test";
        QApplication::setApplicationName(QStringLiteral("Corvel"));
        opened_.clear();
        previousOpen_ = TURLLabel::OpenHook();
        TURLLabel::OpenHook() = [this](const QString& url) { opened_ << url; };
    }
    void TearDown() override { TURLLabel::OpenHook() = previousOpen_; }

    QStringList opened_;
    std::function<void(const QString&)> previousOpen_;
};

TEST_F(AboutBoxTest, EmptyProductNameTakesTheApplicationTitle) {
    TAboutBoxDlg dlg;
    dlg.SetProductName(QString());
    QString caption;
    dlg.RunForm = [&](TAboutBox& form) {
        caption = form.windowTitle();
        return int(QDialog::Accepted);
    };
    EXPECT_TRUE(dlg.ShowAbout());
    EXPECT_EQ(caption, "About Corvel");
    EXPECT_EQ(dlg.ProductName(), "Corvel");
}

TEST_F(AboutBoxTest, UntickingAndClosingWithoutOkStillStoresTheChoice) {
    Shell().ShowAtStartup = true;
    TAboutBoxDlg dlg;
    dlg.RunForm = [](TAboutBox& form) {
        EXPECT_TRUE(form.CBSplash->isChecked());
        form.show();
        QTest::mouseClick(form.CBSplash, Qt::LeftButton, {},
                          QPoint(6, form.CBSplash->height() / 2));
        return int(QDialog::Rejected); // the system's close command
    };
    EXPECT_FALSE(dlg.ShowAbout());
    EXPECT_FALSE(Shell().ShowAtStartup);
    const TRegIniFile settings(Shell().SettingsKeyName);
    EXPECT_EQ(settings.ReadString("Settings", "SplashScreen", "missing"), "0");
    EXPECT_FALSE(settings.ReadBool("Settings", "SplashScreen", true));
}

TEST_F(AboutBoxTest, OkButtonAndEnterCloseWithOk) {
    TAboutBoxDlg dlg;
    dlg.RunForm = [](TAboutBox& form) {
        form.show();
        QTest::mouseClick(form.OKBtn, Qt::LeftButton);
        return form.result();
    };
    EXPECT_TRUE(dlg.ShowAbout());
    dlg.RunForm = [](TAboutBox& form) {
        form.show();
        form.OKBtn->setFocus();
        QTest::keyClick(form.OKBtn, Qt::Key_Return);
        return form.result();
    };
    EXPECT_TRUE(dlg.ShowAbout());
}

TEST_F(AboutBoxTest, OpensWithOkFocusedSoEnterClosesItAndOpensNoLink) {
    TAboutBoxDlg dlg;
    dlg.SetShowWebb(true);
    QWidget* focused = nullptr;
    bool okIsDefault = false;
    dlg.RunForm = [&](TAboutBox& form) {
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        focused = QApplication::focusWidget();
        okIsDefault = form.OKBtn->isDefault();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                    : static_cast<QWidget*>(&form),
                        Qt::Key_Return);
        return form.result();
    };
    EXPECT_TRUE(dlg.ShowAbout());
    EXPECT_EQ(focused ? focused->objectName() : QString(), QStringLiteral("OKBtn"));
    EXPECT_TRUE(okIsDefault);
    EXPECT_TRUE(opened_.isEmpty()) << opened_.join(' ').toStdString();
}

TEST_F(AboutBoxTest, EscClosesTheBoxWithoutOk) {
    TAboutBoxDlg dlg;
    dlg.RunForm = [](TAboutBox& form) {
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                    : static_cast<QWidget*>(&form),
                        Qt::Key_Escape);
        return form.isVisible() ? -1 : form.result();
    };
    EXPECT_FALSE(dlg.ShowAbout());
}

TEST_F(AboutBoxTest, WebLinkFollowsShowWebbAndMailLinkAlwaysShows) {
    for (bool showWebb : {false, true}) {
        TAboutBoxDlg dlg;
        dlg.SetShowWebb(showWebb);
        dlg.SetEMail(QStringLiteral("help@kestrone.example"));
        dlg.SetWebURL(QStringLiteral("www.kestrone.example/corvel"));
        dlg.RunForm = [&](TAboutBox& form) {
            EXPECT_EQ(form.LWeb->isVisibleTo(&form), showWebb);
            EXPECT_EQ(form.WebLabel->isVisibleTo(&form), showWebb);
            EXPECT_TRUE(form.EMailLabel->isVisibleTo(&form));
            EXPECT_FALSE(form.Comment->isVisibleTo(&form));
            EXPECT_EQ(form.EMailLabel->URL(), "mailto:help@kestrone.example");
            EXPECT_EQ(form.EMailLabel->text(), "help@kestrone.example");
            EXPECT_EQ(form.WebLabel->URL(), "http://www.kestrone.example/corvel");
            return int(QDialog::Accepted);
        };
        dlg.ShowAbout();
    }
}

TEST_F(AboutBoxTest, FillFormCopiesTextsAndDetailLines) {
    TAboutBoxDlg dlg;
    dlg.SetVersion(QStringLiteral("1.2.3"));
    dlg.SetDetailLines({QStringLiteral("first"), QStringLiteral("second")});
    TAboutBox form;
    dlg.FillForm(form);
    EXPECT_EQ(form.Version->text(), "Version 1.2.3");
    EXPECT_EQ(form.DetailMemo->toPlainText(), "first\nsecond");
    EXPECT_EQ(form.DeveloperName->text(), "Kestrone");
    dlg.SetShowMemo(false);
    dlg.FillForm(form);
    EXPECT_FALSE(form.DetailMemo->isVisibleTo(&form));
}

TEST_F(AboutBoxTest, UrlLabelCaptionRules) {
    TURLLabel label;
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);

    label.SetURL(QStringLiteral("http://a.example"));
    EXPECT_EQ(label.text(), "http://a.example"); // an empty caption follows the address
    label.SetURL(QStringLiteral("http://b.example"));
    EXPECT_EQ(label.text(), "http://b.example"); // a caption equal to the address follows too
    label.SetCaption(QStringLiteral("Our site"));
    label.SetURL(QStringLiteral("http://c.example"));
    EXPECT_EQ(label.text(), "Our site"); // a caption set by hand stays
    label.SetCaption(QString());
    EXPECT_EQ(label.text(), "http://c.example");
}

TEST_F(AboutBoxTest, ClickingALinkOpensItThenRunsOnClick) {
    TURLLabel label;
    label.SetURL(QStringLiteral("mailto:help@kestrone.example"));
    label.resize(200, 20);
    label.show();
    int clicks = 0;
    label.OnClick = [&](QObject*) {
        EXPECT_EQ(opened_.size(), 1);
        ++clicks;
    };
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(opened_, QStringList{"mailto:help@kestrone.example"});
    EXPECT_EQ(clicks, 1);
}

} // namespace
} // namespace corvel
