// The water-property choice, the validity notes and the Moody window as the main window shows
// them, and the report's PDF export with its diagram page.

#include "app/TrustController.h"
#include "MainWindowFixture.h"
#include "app/LinePressureDialog.h"
#include "app/Main.h"
#include "chart/MoodyDiagram.h"
#include "chart/MoodyWindow.h"
#include "grid/QxEntryGrid.h"
#include "platform/Errors.h"
#include "platform/RegIniFile.h"
#include "report/QxReporter.h"
#include "units/QxFmtEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <cmath>
#include <numbers>
#include <ostream>
#include <set>

namespace corvel {
namespace {

class TrustTest : public test::MainWindowFixture {
protected:
    TrustTest() : MainWindowFixture("corvel-trust-test", {.errorsFail = true}) {}

    TrustController& trust() { return *form_->Trust(); }

    /// Solves flowrate [l/s] in diameter [mm] at temperature [°C] through the window.
    void solve(double flowLps, double diameterMm, double temperature) {
        FlowCase& flow = form_->Flow;
        flow.SetInputs(flowLps * 0.001, diameterMm * 0.001, temperature, kDefaultRoughness);
        flow.EditOrder = "QDV";
        flow.Derived = 0;
        form_->ShowInputs();
        form_->SolveAction->trigger();
        ASSERT_EQ(form_->StatusText(0), "Solved...");
    }

    /// Solves for a velocity [m/s] in a 100 mm pipe at temperature [°C].
    void solveAtVelocity(double velocity, double temperature) {
        solve(velocity * std::numbers::pi * 0.01 / 4 * 1000, 100, temperature);
    }

    /// The rows of the results list whose value carries a mark (a tooltip).
    std::set<int> markedRows() {
        std::set<int> rows;
        for (int row = 0; row < form_->ListView1->rowCount(); ++row)
            if (!form_->ListView1->item(row, 1)->toolTip().isEmpty())
                rows.insert(row);
        return rows;
    }

    QStringList reportLines() { return report_->RichEdit1->toPlainText().split(QLatin1Char('\n')); }
};

TEST_F(TrustTest, SolveIsAMenuWhoseFirstItemIsTheSolveActionOnF9) {
    QMenu* solveMenu = nullptr;
    for (QAction* action : form_->menuBar()->actions())
        if (action->text() == "&Solve")
            solveMenu = action->menu();
    ASSERT_NE(solveMenu, nullptr);
    EXPECT_EQ(solveMenu->actions().first(), form_->SolveAction);
    EXPECT_EQ(form_->SolveAction->objectName(), "SolveAction");
    form_->Flow.FlowRate = 0.03;
    form_->ShowInputs();
    QTest::keyClick(form_.get(), Qt::Key_F9);
    EXPECT_EQ(form_->StatusText(0), "Solved...");
    EXPECT_EQ(result(0), "3.82");
}

TEST_F(TrustTest, IapwsChoiceChangesTheViscosityAt150DegreesAndPersists) {
    EXPECT_TRUE(trust().simpleAction()->isChecked());
    solve(20, 100, 150);
    const QString simple = result(3);
    trust().iapwsAction()->trigger();
    EXPECT_EQ(form_->Flow.Water, WaterModel::Iapws);
    EXPECT_TRUE(trust().iapwsAction()->isChecked());
    EXPECT_FALSE(trust().simpleAction()->isChecked());
    EXPECT_NE(result(3), simple) << "choosing re-solves with the reference viscosity";
    // IAPWS 2008 at 150 °C and 476 kPa (saturated liquid): 182.5 µPa·s.
    EXPECT_NEAR(form_->Flow.Viscosity, 182.5e-6, 0.5e-6);
    reopen();
    EXPECT_TRUE(trust().iapwsAction()->isChecked());
    EXPECT_EQ(form_->Flow.Water, WaterModel::Iapws);
}

TEST_F(TrustTest, StoredChoicesThatMakeNoSenseCountAsMissing) {
    form_->close();
    form_.reset();
    {
        TRegIniFile settings(settingsKey());
        settings.WriteString("Settings", "WaterModel", "Steam tables");
        settings.WriteFloat("Settings", "LinePressure", -5);
    }
    open();
    EXPECT_EQ(form_->Flow.Water, WaterModel::Simple);
    EXPECT_TRUE(trust().simpleAction()->isChecked());
    EXPECT_EQ(form_->Flow.LinePressure, kStandardLinePressure);
}

TEST_F(TrustTest, LinePressureDialogTakesTheTypedPressureAndPersistsIt) {
    expectingModal_ = true;
    QTimer::singleShot(50, [] {
        auto* dialog = qobject_cast<LinePressureDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->edit()->text(), "101.325");
        dialog->edit()->setText(QStringLiteral("250"));
        dialog->accept();
    });
    trust().linePressureAction()->trigger();
    expectingModal_ = false;
    EXPECT_EQ(form_->Flow.LinePressure, 250);
    reopen();
    EXPECT_EQ(form_->Flow.LinePressure, 250);
}

TEST_F(TrustTest, LinePressureBeyondTheRangeIsHeldAtTheLimit) {
    LinePressureDialog dialog(kStandardLinePressure);
    dialog.edit()->setText(QStringLiteral("1e9"));
    dialog.edit()->ValidateText(dialog.edit()->text());
    EXPECT_EQ(dialog.pressure(), kMaxLinePressure);
    dialog.edit()->setText(QStringLiteral("abc"));
    EXPECT_EQ(dialog.pressure(), kStandardLinePressure);
}

struct MarkCase {
    const char* name;
    double velocity;    // m/s in a 100 mm pipe
    double temperature; // °C
    std::set<int> marked;
    const char* status;                          // the notes panel's text
    double linePressure = kStandardLinePressure; // kPa
};

// Rows: 0 velocity, 1–7 properties, 8 diffusion, 9 Reynolds, 10 friction, 11 zone, 12 drop.
const MarkCase kMarkCases[] = {
    {"sound", 2.5, 20, {}, ""},
    {"fast", 3.01, 20, {0}, "≈ Fast flow"},
    {"justBelowFast", 2.99, 20, {}, ""},
    {"slow", 0.29, 20, {0}, "≈ Slow flow"},
    {"atFreezing", 2.5, 0, {3, 4, 5, 9}, "≈ At or below 0 °C"},
    {"justAboveFreezing", 2.5, 0.1, {}, ""},
    // 500 kPa keeps water at 100 °C liquid, so only the correlations' range is at stake.
    {"atHundred", 2.5, 100, {}, "", 500},
    {"justAboveHundred", 2.5, 100.1, {1, 2, 3, 4, 5, 6, 7, 9}, "≈ Above 100 °C", 500},
    {"boilingAtOneAtmosphere", 2.5, 110, {1, 2, 3, 4, 5, 6, 7, 9}, "≈ Water boils"},
    // 0.03 m/s in 100 mm at 20 °C: Re ≈ 3,000.
    {"transition", 0.03, 20, {0, 10, 11, 12}, "≈ Transition zone"},
};

void PrintTo(const MarkCase& c, std::ostream* out) {
    *out << c.name;
}

class TrustMarkTest : public TrustTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(TrustMarkTest, NotesMarkTheirLinesAndTheStatusBarShowsTheMostSerious) {
    const MarkCase& c = GetParam();
    form_->Flow.LinePressure = c.linePressure;
    solveAtVelocity(c.velocity, c.temperature);
    EXPECT_EQ(markedRows(), c.marked);
    ASSERT_NE(trust().notesPanel(), nullptr);
    EXPECT_EQ(trust().notesPanel()->text(), QString::fromUtf8(c.status));
    EXPECT_EQ(trust().notesPanel()->toolTip().isEmpty(), c.marked.empty());
    // The given pair keeps the room it needs beside the notes.
    QApplication::processEvents();
    const QLabel* pair = nullptr;
    for (QLabel* label : form_->StatusBar1->findChildren<QLabel*>())
        if (label->text() == "Flowrate, Diameter")
            pair = label;
    ASSERT_NE(pair, nullptr);
    EXPECT_GE(pair->width(), pair->fontMetrics().horizontalAdvance(pair->text()));
    EXPECT_EQ(form_->StatusText(1), "Flowrate, Diameter");
    // The list's texts, and so the clipboard, never change for a note.
    form_->Copy1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              ClipboardText(MakeResultRows(form_->Flow)));
}

INSTANTIATE_TEST_SUITE_P(Edges, TrustMarkTest, ::testing::ValuesIn(kMarkCases),
                         [](const auto& info) { return std::string(info.param.name); });

/// The input rows that carry a mark.
std::set<int> markedInputRows(const TEntryGrid& grid) {
    std::set<int> rows;
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
        if (!grid.RowMarkTip(row).isEmpty())
            rows.insert(row);
    return rows;
}

TEST_F(TrustTest, ADerivedValueOutsideItsRowsRangeMarksItsGridRow) {
    struct DerivedCase {
        const char* order;
        int derived;
        double flowRate; ///< m³/s
        double diameter; ///< m
        int row;
        const char* name;
    };
    // 63.7 m/s in 100 mm (the row ends at 50), 6283 l/s at 2 m/s in 2 m (ends at 5000 l/s),
    // 25.2 m for 5000 l/s at 0.01 m/s (ends at 5000 mm).
    const DerivedCase cases[] = {
        {"QDV", 0, 0.5, 0.1, kVelocityRow, "velocity"},
        {"DVQ", 1, 2 * std::numbers::pi, 2, kFlowRateRow, "flowrate"},
        {"QVD", 2, 5, 25.231325, kDiameterRow, "diameter"},
    };
    TEntryGrid& grid = *form_->IOGrid1;
    EXPECT_TRUE(markedInputRows(grid).empty()) << "the designed case marks no input row";
    // Lines after the thirteen (a pipe run's) are not the input rows the high line bits name.
    QTableWidget* list = form_->ListView1;
    const int lines = list->rowCount();
    list->setRowCount(lines + 3);
    for (int row = lines; row < lines + 3; ++row)
        for (int col = 0; col < 3; ++col)
            list->setItem(row, col, new QTableWidgetItem(QStringLiteral("0")));
    for (const DerivedCase& c : cases) {
        FlowCase& flow = form_->Flow;
        flow.SetInputs(c.flowRate, c.diameter, 20, kDefaultRoughness);
        flow.EditOrder = c.order;
        flow.Derived = c.derived;
        form_->ShowInputs();
        const QString shown = grid.Cells(1, c.row);
        form_->SolveAction->trigger();
        ASSERT_EQ(form_->StatusText(0), "Solved...") << c.name;
        ASSERT_EQ(NoteCodes(trust().notes()).find("derived-range"), 0U) << c.name;
        EXPECT_EQ(markedInputRows(grid), (std::set<int>{c.row})) << c.name;
        EXPECT_EQ(grid.RowMarkTip(c.row).toStdString(),
                  "The derived " + std::string(c.name) +
                      " lies outside the range of its row: check the inputs, since the case "
                      "cannot be entered back as it stands.");
        EXPECT_EQ(grid.RowMarkColour(c.row), QColor(176, 0, 0)) << "a warning's colour";
        EXPECT_EQ(grid.Cells(1, c.row), shown) << "the text stays as the solve left it";
        for (int row = lines; row < lines + 3; ++row)
            EXPECT_TRUE(list->item(row, 1)->toolTip().isEmpty()) << c.name << " " << row;
        // The long title gives way to the given pair in the window's own size.
        QApplication::processEvents();
        for (QLabel* label : form_->StatusBar1->findChildren<QLabel*>())
            if (label->text() == form_->StatusText(1)) {
                EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                    << c.name;
            }
    }
    // A case back in range clears the mark, and so does a failed solve.
    solve(24, 100, 9);
    EXPECT_TRUE(markedInputRows(grid).empty());
    trust().showSolve(false);
    EXPECT_TRUE(markedInputRows(grid).empty());
}

TEST_F(TrustTest, DesignHintsOnADerivedVelocityStayOnTheResultsList) {
    solveAtVelocity(0.1, 20); // slow: a hint on the velocity line only
    EXPECT_EQ(markedRows(), (std::set<int>{0}));
    EXPECT_TRUE(markedInputRows(*form_->IOGrid1).empty());
}

TEST_F(TrustTest, DefaultCaseShowsTheFastHintButKeepsItsReportAndClipboard) {
    EXPECT_EQ(markedRows(), (std::set<int>{0}));
    EXPECT_EQ(result(0), "3.06");
    ASSERT_EQ(report_->RichEdit1->document()->blockCount(), 26) << "hints stay off the report";
    form_->Copy1->trigger();
    const QString text = QApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Velocity,3.06,m/s\r\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("≈")));
}

TEST_F(TrustTest, ReportCarriesTheChoiceAndNumberedNotes) {
    solveAtVelocity(0.03, 20);
    QStringList lines = reportLines();
    const qsizetype notes = lines.indexOf(QStringLiteral("Notes"));
    ASSERT_GT(notes, 0);
    EXPECT_EQ(lines[notes - 1], "");
    EXPECT_EQ(lines[notes - 2], "Pressure Drop Rate\t" + result(12) + "\tkPa/m");
    EXPECT_TRUE(lines[notes + 1].startsWith(QStringLiteral("1. The Reynolds number ")));
    EXPECT_EQ(lines.size(), notes + 4) << "the slow hint is not reported";

    trust().iapwsAction()->trigger();
    lines = reportLines();
    EXPECT_EQ(lines[24], "Water properties: IAPWS reference (line pressure 101.325 kPa absolute)");
}

TEST_F(TrustTest, MoodyWindowIsMadeAtFirstUseAndFollowsEverySolve) {
    EXPECT_EQ(trust().moodyWindow(), nullptr) << "start-up does not make the diagram";
    trust().moodyAction()->trigger();
    MoodyWindow* window = trust().moodyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Moody Diagram");
    ASSERT_TRUE(window->diagram()->operatingPoint().has_value());
    EXPECT_EQ(window->diagram()->operatingPoint()->reynolds, form_->Flow.Reynolds);
    solveAtVelocity(0.03, 20);
    const auto& point = window->diagram()->operatingPoint();
    ASSERT_TRUE(point.has_value());
    EXPECT_EQ(point->reynolds, form_->Flow.Reynolds);
    EXPECT_EQ(point->friction, form_->Flow.Friction);
    EXPECT_EQ(point->regime, form_->Flow.Regime);
    trust().moodyAction()->trigger();
    EXPECT_EQ(trust().moodyWindow(), window) << "one window, shown again";
}

/// The text pdftotext finds in a PDF file, and its page count from pdfinfo.
struct PdfText {
    QString text;
    int pages = 0;
};

PdfText readPdf(const QString& path) {
    PdfText pdf;
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    if (!text.waitForFinished(20000))
        return pdf;
    pdf.text = QString::fromUtf8(text.readAllStandardOutput());
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished(20000);
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QStringLiteral("Pages:")))
            pdf.pages = line.mid(6).trimmed().toInt();
    return pdf;
}

TEST_F(TrustTest, ExportPdfWritesTheReportAndTheDiagramPageWhenChosen) {
    const QString plain = folder_.filePath(QStringLiteral("plain.pdf"));
    report_->ExportPdf(plain);
    const PdfText first = readPdf(plain);
    if (first.pages == 0)
        GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are missing";
    EXPECT_TRUE(first.text.contains(QStringLiteral("Corvel Report")));
    EXPECT_TRUE(first.text.contains(QStringLiteral("Pressure Drop Rate")));
    EXPECT_EQ(first.pages, 1);

    report_->CheckPrintDiagram->setChecked(true);
    const QString withDiagram = folder_.filePath(QStringLiteral("diagram.pdf"));
    report_->ExportPdf(withDiagram);
    const PdfText second = readPdf(withDiagram);
    EXPECT_EQ(second.pages, 2);
    EXPECT_TRUE(second.text.contains(QStringLiteral("Re = "))) << "the case is marked";
}

TEST_F(TrustTest, ExportPdfToAFolderThatDoesNotExistSaysSo) {
    const QString path = folder_.filePath(QStringLiteral("missing/report.pdf"));
    try {
        report_->ExportPdf(path);
        FAIL() << "the export claimed success";
    } catch (const Exception& error) {
        EXPECT_EQ(error.message(), "The report could not be exported: " + path.toStdString() +
                                       " could not be written. Choose a folder you may write to.");
    }
}

} // namespace
} // namespace corvel
