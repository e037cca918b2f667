// F1 hands the help page to the desktop's opener (xdg-open); where nothing can open it, the user
// is told so instead of nothing happening. (That it reaches xdg-open when there is one is shown
// on a real display by the end-to-end help scenario.)
#include "app/Main.h"

#include "MainWindowFixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace corvel {
namespace {

/// A main window whose program folder holds a help page, with no opener on the PATH (the
/// offscreen platform opens nothing anyway) and errors of the general error report recorded.
class HelpActionTest : public test::AppSandbox {
protected:
    HelpActionTest() : AppSandbox("corvel-help-test") {}

    void SetUp() override {
        ASSERT_TRUE(bin_.isValid());
        AppSandbox::SetUp();
        if (HasFatalFailure())
            return;
        QDir(folder_.path()).mkdir(QStringLiteral("Help"));
        QFile page(folder_.filePath(QStringLiteral("Help/index.htm")));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<html></html>");
        page.close();

        previousPath_ = qgetenv("PATH");
        previousBrowser_ = qgetenv("BROWSER");
        // Only the test's folder: no xdg-open and no browser of the system's.
        qputenv("PATH", bin_.path().toLocal8Bit());
        qunsetenv("BROWSER");
        form_ = std::make_unique<TMainForm>();
    }

    void TearDown() override {
        form_.reset();
        AppSandbox::TearDown();
        qputenv("PATH", previousPath_);
        if (!previousBrowser_.isEmpty())
            qputenv("BROWSER", previousBrowser_);
    }

    void pressHelp() { form_->findChild<QAction*>(QStringLiteral("HelpAction"))->trigger(); }

    QTemporaryDir bin_;
    QByteArray previousPath_;
    QByteArray previousBrowser_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(HelpActionTest, HelpPageThatCannotBeOpenedSaysWhichAndWhatToInstall) {
    pressHelp();
    ASSERT_EQ(errors_.size(), 1u);
    const std::string expectedPage = folder_.path().toStdString() + "/Help/index.htm";
    EXPECT_NE(errors_[0].find(expectedPage), std::string::npos) << errors_[0];
    EXPECT_NE(errors_[0].find("could not be opened"), std::string::npos) << errors_[0];
    EXPECT_NE(errors_[0].find("xdg-utils"), std::string::npos) << errors_[0];
}

} // namespace
} // namespace corvel
