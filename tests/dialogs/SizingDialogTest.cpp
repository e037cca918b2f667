#include "dialogs/SizingDialog.h"

#include "TestSupport.h"
#include "pipes/PipeTables.h"
#include "units/QxFmtEdit.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

namespace corvel {
namespace {

using test::NearRel;

/// The designed default case, solved: 24 l/s in 100 mm at 9 °C, 0.03 mm roughness.
FlowCase defaultCase() {
    FlowCase flow;
    flow.SetInputs(0.024, 0.1, 9, 0.00003);
    EXPECT_TRUE(flow.Solve().solved);
    return flow;
}

class SizingDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        flow_ = defaultCase();
        dialog_.SetCase(flow_, flow_.PressureDrop * 1000, "ASTM B88 L");
        dialog_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
    }

    void typeGradient(const QString& text) {
        dialog_.GradientEdit->setFocus();
        dialog_.GradientEdit->selectAll();
        QTest::keyClicks(dialog_.GradientEdit, text);
    }

    FlowCase flow_;
    SizingDialog dialog_;
};

TEST_F(SizingDialogTest, OffersTheCasesGradientTheChosenTableAndTheExactDiameter) {
    EXPECT_EQ(dialog_.windowTitle(), "Size For Pressure Drop");
    EXPECT_EQ(dialog_.GradientEdit->text(), "0.8141");
    EXPECT_EQ(dialog_.TableBox->currentText(), "ASTM B88 L");
    EXPECT_EQ(dialog_.TableBox->count(), static_cast<int>(PipeTables().size()));
    EXPECT_TRUE(dialog_.DiameterButton->isChecked());
    EXPECT_FALSE(dialog_.TableBox->isEnabled());
    dialog_.TableSizeButton->setChecked(true);
    EXPECT_TRUE(dialog_.TableBox->isEnabled());
}

TEST_F(SizingDialogTest, SizingTheDiameterForTheShownGradientGivesTheDiameterBack) {
    QSignalSpy finished(&dialog_, &QDialog::finished);
    QTest::mouseClick(dialog_.OkButton, Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
    EXPECT_EQ(dialog_.Target(), SizingTarget::kDiameter);
    ASSERT_TRUE(dialog_.Answer().found());
    EXPECT_TRUE(NearRel(dialog_.Answer().value, 0.1, 1e-8));
}

TEST_F(SizingDialogTest, SizingTheFlowrateForTheShownGradientGivesTheFlowrateBack) {
    dialog_.FlowRateButton->setChecked(true);
    QTest::mouseClick(dialog_.OkButton, Qt::LeftButton);
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
    EXPECT_EQ(dialog_.Target(), SizingTarget::kFlowRate);
    EXPECT_TRUE(NearRel(dialog_.Answer().value, 0.024, 1e-8));
}

TEST_F(SizingDialogTest, ATypedGradientIsTakenAndEnterSizes) {
    typeGradient(QStringLiteral("0.2"));
    QSignalSpy finished(&dialog_, &QDialog::finished);
    QTest::keyClick(dialog_.GradientEdit, Qt::Key_Return);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
    EXPECT_TRUE(NearRel(dialog_.Answer().achieved, 200, 1e-9));
    EXPECT_GT(dialog_.Answer().value, 0.1); // a lower gradient needs a wider pipe
}

TEST_F(SizingDialogTest, TheTableSizeIsTheSmallestOfTheChosenTableThatMeetsTheLimit) {
    dialog_.TableSizeButton->setChecked(true);
    dialog_.TableBox->setCurrentText(QStringLiteral("ASME B36.10M 40"));
    typeGradient(QStringLiteral("0.5"));
    QTest::mouseClick(dialog_.OkButton, Qt::LeftButton);
    ASSERT_EQ(dialog_.result(), QDialog::Accepted);
    EXPECT_EQ(&dialog_.Table(), FindPipeTable("ASME B36.10M 40"));
    const PipeSize* size = dialog_.Answer().size;
    ASSERT_NE(size, nullptr);
    // 4" Sch 40 (102.26 mm) gives 0.76 kPa/m at 24 l/s; 5" (128.2 mm) is the first within 0.5.
    EXPECT_EQ(size->nominal, "5");
    EXPECT_LE(dialog_.Answer().achieved, 500);
}

struct FailureRow {
    const char* name;
    QRadioButton* SizingDialog::*button;
    const char* gradient;
    const char* firstLine;
};

TEST_F(SizingDialogTest, AFailureIsSaidInWordsAndKeepsTheDialogOpen) {
    const FailureRow rows[] = {
        {"flowrate", &SizingDialog::FlowRateButton, "0.0000001", "no flowrate in range"},
        {"table", &SizingDialog::TableSizeButton, "0.000001",
         "no size in the table meets the limit"},
        {"zero", &SizingDialog::DiameterButton, "0", "no diameter in range"},
    };
    QSignalSpy finished(&dialog_, &QDialog::finished);
    for (const FailureRow& row : rows) {
        (dialog_.*row.button)->setChecked(true);
        typeGradient(QString::fromLatin1(row.gradient));
        QTest::mouseClick(dialog_.OkButton, Qt::LeftButton);
        EXPECT_EQ(finished.count(), 0) << row.name;
        EXPECT_TRUE(dialog_.isVisible()) << row.name;
        EXPECT_EQ(dialog_.MessageLabel->text().section('\n', 0, 0), row.firstLine) << row.name;
        EXPECT_FALSE(dialog_.Answer().found()) << row.name;
    }
}

TEST_F(SizingDialogTest, AGradientThatIsNotANumberIsSaidSo) {
    dialog_.GradientEdit->setText(QStringLiteral("abc"));
    QTest::mouseClick(dialog_.OkButton, Qt::LeftButton);
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ(dialog_.MessageLabel->text(), "The allowed pressure gradient is not a number.");
}

TEST_F(SizingDialogTest, LoadingANewCaseClearsTheLastMessage) {
    dialog_.GradientEdit->setText(QStringLiteral("abc"));
    QTest::mouseClick(dialog_.OkButton, Qt::LeftButton);
    dialog_.SetCase(flow_, 400, "no such table");
    EXPECT_TRUE(dialog_.MessageLabel->text().isEmpty());
    EXPECT_EQ(dialog_.GradientEdit->text(), "0.4000");
    EXPECT_EQ(dialog_.TableBox->currentIndex(), 0);
}

TEST_F(SizingDialogTest, WithAPipeRunTheTotalDropIsOfferedAndSizedFor) {
    EXPECT_FALSE(dialog_.LimitBox->isVisible()) << "without a run only the gradient";
    PipeRunInputs run;
    run.length = 100;
    run.elevationRise = 10;
    const FlowState state{flow_.Density,  flow_.Velocity, flow_.Friction,
                          flow_.Diameter, flow_.FlowRate, flow_.Reynolds};
    dialog_.SetRun(run, SolvePipeRun(state, run).totalPressureDrop);
    EXPECT_TRUE(dialog_.LimitBox->isVisible());
    EXPECT_EQ(dialog_.LimitBox->currentIndex(), 1);
    EXPECT_EQ(dialog_.GradientEdit->text(), "179.444");
    typeGradient(QStringLiteral("120"));
    dialog_.OkButton->click();
    ASSERT_TRUE(dialog_.Answer().found()) << dialog_.MessageLabel->text().toStdString();
    EXPECT_EQ(dialog_.LimitKind(), SizingLimitKind::kTotalPressureDrop);
    EXPECT_TRUE(NearRel(dialog_.Answer().achieved, 120000, 1e-8));
    EXPECT_GT(dialog_.Answer().value, 0.1) << "a lower drop needs a wider pipe";

    dialog_.LimitBox->setCurrentIndex(0);
    EXPECT_EQ(dialog_.GradientEdit->text(), "0.8141") << "the gradient is offered again";

    // A run that only rises is offered with the gradient chosen: no size changes its total.
    PipeRunInputs rise;
    rise.elevationRise = 10;
    dialog_.SetRun(rise, 98032);
    EXPECT_FALSE(dialog_.LimitBox->isHidden());
    EXPECT_EQ(dialog_.LimitBox->currentIndex(), 0);
    EXPECT_EQ(dialog_.GradientEdit->text(), "0.8141");
}

} // namespace
} // namespace corvel
