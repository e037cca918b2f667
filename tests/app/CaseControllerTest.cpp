#include "app/CaseController.h"

#include "MainWindowFixture.h"
#include "app/Main.h"
#include "grid/QxEntryGrid.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>

namespace corvel {
namespace {

/// A main window whose file dialogs are replaced by a path the test names, whose question
/// before unsaved changes are lost is answered as the test plans (a question that was not
/// planned fails the test), and whose error reports are recorded.
class CaseControllerTest : public test::MainWindowFixture {
protected:
    CaseControllerTest() : MainWindowFixture("corvel-case-test", {.watchdogInterval = 50}) {}

    void prepareWindow(TMainForm& form) override {
        form.Cases->FileDialogHook = [this](CaseController::FileDialogKind) { return dialogPath_; };
    }

    void handleModal(QWidget* modal) override {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box && box->objectName() == QStringLiteral("SaveChangesBox") && plannedAnswer_) {
            questions_ << box->text();
            box->button(*plannedAnswer_)->click();
            plannedAnswer_.reset();
            return;
        }
        MainWindowFixture::handleModal(modal);
    }

    QString path(const QString& name) const { return folder_.path() + QLatin1Char('/') + name; }

    void saveAs(const QString& file) {
        dialogPath_ = file;
        form_->Cases->SaveAs1->trigger();
    }
    void openCase(const QString& file) {
        dialogPath_ = file;
        form_->Cases->OpenCase1->trigger();
    }

    QString title() const { return form_->windowTitle(); }
    QString baseTitle() const { return QStringLiteral("Corvel " CORVEL_TEST_VERSION); }
    static QByteArray bytes(const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    static void write(const QString& file, const QByteArray& text) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    }

    QString dialogPath_;
    std::optional<QMessageBox::StandardButton> plannedAnswer_;
    QStringList questions_;
};

bool sameBits(const StoredCase& a, const StoredCase& b) {
    return std::memcmp(&a, &b, sizeof(StoredCase)) == 0;
}

TEST_F(CaseControllerTest, SaveAsThenOpenGivesAThousandRandomCasesBackBitForBit) {
    // The thousand files in memory where the system has such a folder: each write is flushed
    // to the disk, which this test is not about.
    QTemporaryDir memory(QStringLiteral("/dev/shm/corvel-cases-XXXXXX"));
    const QString base = memory.isValid() ? memory.path() : folder_.path();
    std::mt19937_64 random(20261208);
    // Within each row's range, spread over its decades, with every bit of the mantissa used.
    auto within = [&random](int row) {
        const InputRowInfo& info = kInputRows[static_cast<std::size_t>(row - 1)];
        const double low = info.min * info.baseScale;
        const double high = info.max * info.baseScale;
        if (low <= 0)
            return std::uniform_real_distribution<double>(low, high)(random);
        const double exponent =
            std::uniform_real_distribution<double>(std::log10(low), std::log10(high))(random);
        return std::clamp(std::pow(10.0, exponent), low, high);
    };
    for (int i = 0; i < 1000; ++i) {
        const StoredCase stored{within(kFlowRateRow), within(kDiameterRow), within(kTemperatureRow),
                                within(kRoughnessRow)};
        stored.ApplyTo(form_->Flow);
        form_->ShowInputs();
        const QString file = base + QStringLiteral("/case%1.corvel").arg(i);
        saveAs(file);
        form_->Cases->New1->trigger();
        ASSERT_EQ(StoredCase::Of(form_->Flow), StoredCase()) << "File > New at case " << i;
        openCase(file);
        const StoredCase read = StoredCase::Of(form_->Flow);
        ASSERT_TRUE(sameBits(read, stored))
            << "case " << i << ": Q " << read.flowRate << " / " << stored.flowRate << ", d "
            << read.diameter << " / " << stored.diameter << ", t " << read.temperature << " / "
            << stored.temperature << ", k " << read.roughness << " / " << stored.roughness;
        ASSERT_FALSE(form_->Cases->document().modified()) << "case " << i;
    }
    EXPECT_TRUE(questions_.isEmpty());
}

TEST_F(CaseControllerTest, TitleNamesTheCaseAndMarksUnsavedChanges) {
    EXPECT_EQ(title(), baseTitle());
    saveAs(path(QStringLiteral("pump.corvel")));
    EXPECT_EQ(title(), baseTitle() + " - pump.corvel");
    typeValue(kFlowRateRow, QStringLiteral("30"));
    EXPECT_EQ(title(), baseTitle() + " - pump.corvel*");
    typeValue(kFlowRateRow, QStringLiteral("24"));
    EXPECT_EQ(title(), baseTitle() + " - pump.corvel") << "back to the saved inputs";
    typeValue(kFlowRateRow, QStringLiteral("30"));
    form_->Save1->trigger();
    EXPECT_EQ(title(), baseTitle() + " - pump.corvel");
    EXPECT_TRUE(bytes(path(QStringLiteral("pump.corvel"))).contains("Q=0.030000"));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("Corvel.ini"))))
        << "File > Save of a named case leaves the fixed case file alone";
    EXPECT_TRUE(errors_.empty());
}

TEST_F(CaseControllerTest, TheUnnamedCaseKeepsTheFixedFileAndNeverAsks) {
    typeValue(kFlowRateRow, QStringLiteral("30"));
    EXPECT_EQ(title(), baseTitle());
    form_->Save1->trigger();
    EXPECT_TRUE(bytes(path(QStringLiteral("Corvel.ini"))).contains("Q=0.030000"));
    typeValue(kFlowRateRow, QStringLiteral("40"));
    form_->Cases->New1->trigger();
    EXPECT_EQ(form_->IOGrid1->Cells(1, kFlowRateRow), "24.000");
    EXPECT_TRUE(form_->close());
    EXPECT_TRUE(questions_.isEmpty());
}

TEST_F(CaseControllerTest, FileOpenOfTheFixedFileLeavesTheNamedCase) {
    form_->Save1->trigger(); // Corvel.ini with the default case
    saveAs(path(QStringLiteral("a.corvel")));
    form_->Open1->trigger();
    EXPECT_EQ(title(), baseTitle());
    typeValue(kFlowRateRow, QStringLiteral("30"));
    form_->Save1->trigger();
    EXPECT_TRUE(bytes(path(QStringLiteral("Corvel.ini"))).contains("Q=0.030000"));
    EXPECT_TRUE(bytes(path(QStringLiteral("a.corvel"))).contains("Q=0.024000"));
}

struct CloseRow {
    const char* name;
    QMessageBox::StandardButton answer;
    bool closes;
    const char* savedFlow; // in the file afterwards
};

class CaseControllerCloseTest : public CaseControllerTest,
                                public ::testing::WithParamInterface<CloseRow> {};

TEST_P(CaseControllerCloseTest, ClosingWithUnsavedChangesAsksFirst) {
    const QString file = path(QStringLiteral("line.corvel"));
    saveAs(file);
    typeValue(kFlowRateRow, QStringLiteral("30"));
    plannedAnswer_ = GetParam().answer;
    EXPECT_EQ(form_->close(), GetParam().closes);
    EXPECT_EQ(questions_, QStringList{QStringLiteral("Save changes to line.corvel?")});
    EXPECT_EQ(form_->isVisible(), !GetParam().closes);
    EXPECT_TRUE(bytes(file).contains(GetParam().savedFlow)) << bytes(file).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CaseControllerCloseTest,
    ::testing::Values(CloseRow{"CancelKeepsTheWindow", QMessageBox::Cancel, false, "Q=0.024000"},
                      CloseRow{"DiscardClosesAndKeepsTheFile", QMessageBox::Discard, true,
                               "Q=0.024000"},
                      CloseRow{"SaveWritesThenCloses", QMessageBox::Save, true, "Q=0.030000"}),
    [](const ::testing::TestParamInfo<CloseRow>& info) { return info.param.name; });

TEST_F(CaseControllerTest, NewAndOpenAskBeforeUnsavedChangesAreLost) {
    saveAs(path(QStringLiteral("a.corvel")));
    saveAs(path(QStringLiteral("b.corvel")));
    typeValue(kFlowRateRow, QStringLiteral("30"));
    plannedAnswer_ = QMessageBox::Cancel;
    form_->Cases->New1->trigger();
    EXPECT_EQ(form_->IOGrid1->Cells(1, kFlowRateRow), "30.000") << "Cancel keeps the case";
    plannedAnswer_ = QMessageBox::Discard;
    openCase(path(QStringLiteral("a.corvel")));
    EXPECT_EQ(form_->IOGrid1->Cells(1, kFlowRateRow), "24.000");
    EXPECT_EQ(title(), baseTitle() + " - a.corvel");
    EXPECT_EQ(questions_.size(), 2);
    EXPECT_TRUE(bytes(path(QStringLiteral("b.corvel"))).contains("Q=0.024000"));
}

TEST_F(CaseControllerTest, ASaveAsThatFailsIsReportedAndKeepsTheCaseAsItWas) {
    const QString file = path(QStringLiteral("no folder/x.corvel"));
    saveAs(file);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "Unable to write to " + file.toStdString());
    EXPECT_EQ(title(), baseTitle());
    EXPECT_TRUE(form_->Cases->recent().paths().empty());
}

TEST_F(CaseControllerTest, ASaveOnClosingThatFailsKeepsTheWindow) {
    QTemporaryDir gone;
    const QString file = gone.path() + QStringLiteral("/line.corvel");
    saveAs(file);
    typeValue(kFlowRateRow, QStringLiteral("30"));
    ASSERT_TRUE(gone.remove());
    plannedAnswer_ = QMessageBox::Save;
    EXPECT_FALSE(form_->close()) << "the changes would be lost";
    EXPECT_TRUE(form_->isVisible());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(title(), baseTitle() + " - line.corvel*");
}

struct BadFileRow {
    const char* name;
    QByteArray text;
    const char* reason;
};

class CaseControllerBadFileTest : public CaseControllerTest,
                                  public ::testing::WithParamInterface<BadFileRow> {};

TEST_P(CaseControllerBadFileTest, AFileThatIsNoCaseOpensNothingAndSaysWhy) {
    const QString file = path(QStringLiteral("bad.corvel"));
    write(file, GetParam().text);
    typeValue(kFlowRateRow, QStringLiteral("30"));
    openCase(file);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], file.toStdString() + " is not a Corvel case: " + GetParam().reason);
    EXPECT_EQ(form_->IOGrid1->Cells(1, kFlowRateRow), "30.000");
    EXPECT_EQ(title(), baseTitle());
    EXPECT_TRUE(form_->Cases->recent().paths().empty());
    EXPECT_EQ(bytes(file), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CaseControllerBadFileTest,
    ::testing::Values(
        BadFileRow{"NoStoreSection", "[Settings]\nQ=0.03\n", "it has no [Store] section."},
        BadFileRow{"UnreadableNumber", "[Store]\nQ=lots\n", "the value of Q is not a number."},
        BadFileRow{"Binary",
                   QByteArray("\x7f"
                              "ELF\x02\x01\x01\0\0\0[Store]\n",
                              17),
                   "it holds binary data."},
        BadFileRow{"Huge", "[Store]\n" + QByteArray(2 * 1024 * 1024, ' ') + "\n",
                   "it is larger than 1 MiB."}),
    [](const ::testing::TestParamInfo<BadFileRow>& info) { return info.param.name; });

TEST_F(CaseControllerTest, ValuesOutOfRangeFallBackAndTheStatusBarNamesThem) {
    const QString file = path(QStringLiteral("odd.corvel"));
    const QByteArray text = "[Store]\nQ=0.030000\nd=99\nt=9.000000\n";
    write(file, text);
    openCase(file);
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(form_->IOGrid1->Cells(1, kFlowRateRow), "30.000");
    EXPECT_EQ(form_->IOGrid1->Cells(1, kDiameterRow), "100.0");
    EXPECT_EQ(form_->StatusBar1->currentMessage().toStdString(),
              "Opened odd.corvel; missing or out of range, these keys took their defaults: d, k.");
    EXPECT_EQ(title(), baseTitle() + " - odd.corvel");
    EXPECT_EQ(bytes(file), text) << "opening never writes";
}

TEST_F(CaseControllerTest, RecentCasesAreListedNewestFirstAndKeptForTheNextStart) {
    saveAs(path(QStringLiteral("a.corvel")));
    saveAs(path(QStringLiteral("b.corvel")));
    openCase(path(QStringLiteral("a.corvel")));
    ASSERT_EQ(form_->Cases->recentActions().size(), 2u);
    EXPECT_EQ(form_->Cases->recentActions()[0]->text(), "&1 a.corvel");
    EXPECT_EQ(form_->Cases->recentActions()[1]->text(), "&2 b.corvel");
    form_->close();
    open();
    ASSERT_EQ(form_->Cases->recentActions().size(), 2u);
    EXPECT_EQ(form_->Cases->recentActions()[0]->text(), "&1 a.corvel");
    EXPECT_EQ(title(), baseTitle()) << "a new start begins unnamed";
    form_->Cases->recentActions()[1]->trigger();
    EXPECT_EQ(title(), baseTitle() + " - b.corvel");
    EXPECT_EQ(form_->Cases->recentActions()[0]->text(), "&1 b.corvel");
}

TEST_F(CaseControllerTest, AMissingRecentCaseLeavesTheListWithAStatusMessage) {
    saveAs(path(QStringLiteral("gone.corvel")));
    saveAs(path(QStringLiteral("kept.corvel")));
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("gone.corvel"))));
    ASSERT_EQ(form_->Cases->recentActions().size(), 2u);
    form_->Cases->recentActions()[1]->trigger();
    ASSERT_EQ(form_->Cases->recentActions().size(), 1u);
    EXPECT_EQ(form_->Cases->recentActions()[0]->text(), "&1 kept.corvel");
    EXPECT_EQ(form_->StatusBar1->currentMessage(),
              path(QStringLiteral("gone.corvel")) +
                  " no longer exists; it was removed from the recent cases.");
    EXPECT_EQ(title(), baseTitle() + " - kept.corvel");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(CaseControllerTest, SevenSavedCasesKeepTheNewestSix) {
    for (int i = 1; i <= 7; ++i)
        saveAs(path(QStringLiteral("c%1.corvel").arg(i)));
    ASSERT_EQ(form_->Cases->recentActions().size(), 6u);
    EXPECT_EQ(form_->Cases->recentActions().front()->text(), "&1 c7.corvel");
    EXPECT_EQ(form_->Cases->recentActions().back()->text(), "&6 c2.corvel");
}

TEST_F(CaseControllerTest, OpenPathAtStartUpOpensTheNamedCase) {
    const QString file = path(QStringLiteral("start.corvel"));
    write(file, "[Store]\nQ=0.030000\nd=0.100000\nt=9.000000\nk=0.000030\n");
    form_->Cases->openPath(file);
    EXPECT_EQ(form_->IOGrid1->Cells(1, kFlowRateRow), "30.000");
    EXPECT_EQ(title(), baseTitle() + " - start.corvel");
    form_->Cases->openPath(path(QStringLiteral("missing.corvel")));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0],
              path(QStringLiteral("missing.corvel")).toStdString() + " does not exist.");
}

} // namespace
} // namespace corvel
