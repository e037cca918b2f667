#include "app/RoughForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

namespace corvel {
namespace {

TEST(TRoughnessForm, StartsWithDrawnTubeSelected) {
    TRoughnessForm form;
    EXPECT_EQ(form.windowTitle(), "Pipe Roughness");
    EXPECT_EQ(form.SelectedRoughness, 0.0015);
    EXPECT_EQ(form.StatusBar1->currentMessage(), "Drawn Tube  0.001500mm");
    EXPECT_EQ(form.Label1->text(),
              "The value is entered in mm and is a measure of the pipe roughness.  You are free "
              "to enter any value in the K field.  This selection is offered as a guideline only");
    EXPECT_EQ(form.ComboBox1->count(), 4);
    EXPECT_FALSE(form.ComboBox1->isEditable());
}

TEST(TRoughnessForm, ChoosingWithTheKeyboardUpdatesValueAndStatus) {
    TRoughnessForm form;
    form.show();
    form.ComboBox1->setFocus();
    QTest::keyClick(form.ComboBox1, Qt::Key_Down);
    QTest::keyClick(form.ComboBox1, Qt::Key_Down);
    QTest::keyClick(form.ComboBox1, Qt::Key_Down);
    EXPECT_EQ(form.ComboBox1->currentText(), "Concrete Duct");
    EXPECT_EQ(form.SelectedRoughness, 0.5);
    EXPECT_EQ(form.StatusBar1->currentMessage(), "Concrete Duct  0.500000mm");
}

TEST(TRoughnessForm, OkAcceptsAndCancelRejectsKeepingTheSelection) {
    TRoughnessForm form;
    form.show();
    form.ComboBox1->setCurrentIndex(1);
    QSignalSpy finished(&form, &QDialog::finished);
    QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
    EXPECT_EQ(form.SelectedRoughness, 0.046);

    form.show(); // the next showing starts with the last selection
    EXPECT_EQ(form.ComboBox1->currentText(), "Steel Pipe");
    QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
    ASSERT_EQ(finished.count(), 2);
    EXPECT_EQ(finished.at(1).at(0).toInt(), QDialog::Rejected);
}

} // namespace
} // namespace corvel
