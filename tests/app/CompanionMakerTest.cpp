// The roughness guide and the report window made when first asked for, as the program starts
// the main window: nothing of them before, the same report as ever after.
#include "MainWindowFixture.h"

#include "app/Main.h"
#include "app/RoughForm.h"
#include "grid/QxEntryGrid.h"
#include "report/QxReporter.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <memory>

namespace corvel {
namespace {

/// A main window shown and activated with a companion maker instead of its companions, as
/// corvel_main.cpp does; counts how often the maker ran.
class CompanionMakerTest : public test::AppSandbox {
protected:
    CompanionMakerTest() : AppSandbox("corvel-companion-test") {}

    void SetUp() override {
        AppSandbox::SetUp();
        form_ = std::make_unique<TMainForm>();
        form_->SetCompanionMaker([this] {
            ++made_;
            roughness_ = new TRoughnessForm(form_.get());
            report_ = new TReportForm(nullptr, form_.get());
            form_->SetCompanions(roughness_, report_);
        });
        form_->show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    }

    void TearDown() override {
        form_.reset();
        AppSandbox::TearDown();
    }

    QString reportLine(int block) const {
        return report_->RichEdit1->document()->findBlockByNumber(block).text();
    }

    std::unique_ptr<TMainForm> form_;
    TRoughnessForm* roughness_ = nullptr;
    TReportForm* report_ = nullptr;
    int made_ = 0;
};

TEST_F(CompanionMakerTest, ShowingSolvingAndClosingMakeNoCompanions) {
    EXPECT_EQ(form_->StatusText(0), "Solved...");
    EXPECT_EQ(form_->ListView1->item(0, 1)->text(), "3.06");
    form_->SolveAction->trigger();
    form_->Copy1->trigger();
    EXPECT_EQ(made_, 0);
    form_->close();
    EXPECT_EQ(made_, 0);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(CompanionMakerTest, TheReportMadeOnRequestShowsTheCaseAndFollowsLaterSolves) {
    form_->IOGrid1->SetCells(1, 1, QStringLiteral("30"));
    form_->ReportPreview1->trigger();
    ASSERT_EQ(made_, 1);
    ASSERT_NE(report_, nullptr);
    EXPECT_TRUE(report_->isVisible());
    EXPECT_EQ(reportLine(4), "Water Flowrate\t30\tl/s") << "the grid as it stands";
    EXPECT_EQ(reportLine(11), "Velocity\t3.82\tm/s");

    // Later solves and the report's own refresh reach the report as they would have all along.
    form_->IOGrid1->SetCells(1, 1, QStringLiteral("24"));
    form_->SolveAction->trigger();
    EXPECT_EQ(reportLine(11), "Velocity\t3.06\tm/s");
    ASSERT_TRUE(report_->OnReportRefresh);
    form_->ReportPreview1->trigger();
    EXPECT_EQ(made_, 1) << "made once";
    EXPECT_TRUE(errors_.empty());
}

TEST_F(CompanionMakerTest, TheRoughnessGuideMadeOnRequestSetsTheRoughness) {
    QTimer::singleShot(0, [this] {
        auto* guide = qobject_cast<TRoughnessForm*>(QApplication::activeModalWidget());
        ASSERT_NE(guide, nullptr);
        guide->accept();
    });
    form_->Flow.Roughness = 0.1e-3;
    Variant unused;
    form_->OpenRoughnessGuide(unused);
    ASSERT_EQ(made_, 1);
    EXPECT_NEAR(form_->Flow.Roughness, 0.0015e-3, 1e-12) << "drawn tubing, the guide's first";
    EXPECT_EQ(form_->IOGrid1->Cells(1, 5), "0.00150");
    // The report made with the guide follows the case from then on without being shown.
    ASSERT_NE(report_, nullptr);
    EXPECT_FALSE(report_->isVisible());
    EXPECT_EQ(reportLine(11), "Velocity\t3.06\tm/s") << "composed when made";
    EXPECT_TRUE(report_->OnReportRefresh);
    form_->SolveAction->trigger();
    EXPECT_EQ(reportLine(8), "Surface Roughness\t0.00150\tmm");
    EXPECT_TRUE(errors_.empty());
}

} // namespace
} // namespace corvel
