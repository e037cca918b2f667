#include "app/Main.h"

#include "app/AppIcon.h"
#include "app/CaseController.h"
#include "app/CaseFile.h"
#include "app/PipeController.h"
#include "app/PipeRunController.h"
#include "app/RoughForm.h"
#include "app/TrustController.h"
#include "app/UnitsController.h"
#include "grid/QxEntryGrid.h"
#include "platform/Errors.h"
#include "platform/RegIniFile.h"
#include "report/QxReporter.h"
#include "report/ReportComposer.h"
#include "shell/Folders.h"
#include "shell/Placement.h"
#include "shell/QxAboutDlg.h"
#include "shell/QxIniFiles.h"
#include "shell/QxVerInfo.h"
#include "shell/Startup.h"
#include "units/NumberText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QShowEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvel {

const QStringList kInputGridLines = [] {
    QStringList lines;
    for (const std::string& line : InputGridLines())
        lines << QString::fromStdString(line);
    return lines;
}();

namespace {

const char* const kSettingsSection = "Settings";
constexpr int kDesignColumnWidths[] = {114, 68, 59};
constexpr int kListColumnWidths[] = {113, 70, 60};
constexpr int kValueColumn = 1;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Water Flow Calculator"));
    setWindowIcon(AppIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(230, 330);
    resize(413, 313);

    createActions();
    trust_ = new TrustController(*this);
    createMenus();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);
    createGrid();
    createList();
    layout->addWidget(IOGrid1);
    layout->addWidget(ListView1, 1);
    createStatusBar();
    // Tall enough for all thirteen results in this desktop's font; a stored placement wins.
    resize(413,
           menuBar()->sizeHint().height() + IOGrid1->height() +
               static_cast<int>(kResultCount) * ListView1->verticalHeader()->defaultSectionSize() +
               4 + StatusBar1->sizeHint().height());

    AboutBoxDlg1 = new TAboutBoxDlg(this);
    AboutBoxDlg1->setObjectName(QStringLiteral("AboutBoxDlg1"));
    AboutBoxDlg1->SetProductName(QStringLiteral("Corvel"));
    AboutBoxDlg1->SetProductFont(ImpactFont(37));
    AboutBoxDlg1->SetShowWebb(true);
    AboutBoxDlg1->SetStretchPic(true);
    AboutBoxDlg1->SetComment(QStringLiteral("Loading..."));

    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::SetCompanions(TRoughnessForm* roughness, TReportForm* report) {
    roughness_ = roughness;
    report_ = report;
    trust_->setReport(report);
    // A report that comes after the window's showing catches up with what the window shows.
    if (report_ && shownBefore_) {
        report_->OnReportRefresh = [this] { ComposeReport(); };
        ComposeReport();
    }
}

void TMainForm::SetCompanionMaker(std::function<void()> make) {
    companionMaker_ = std::move(make);
}

void TMainForm::needCompanions() {
    if (const std::function<void()> make = std::exchange(companionMaker_, nullptr))
        make();
}

void TMainForm::createActions() {
    SolveAction = new QAction(QStringLiteral("Solve"), this);
    SolveAction->setObjectName(QStringLiteral("SolveAction"));
    SolveAction->setShortcut(Qt::Key_F9);
    SolveAction->setStatusTip(QStringLiteral("Solve [shortcut F9]"));
    SolveAction->setToolTip(QStringLiteral("Solve [shortcut F9]"));
    connect(SolveAction, &QAction::triggered, this,
            [this] { run(CommandKind::Solve, [this] { SolveActionExecute(); }); });

    ExitAction = new QAction(QStringLiteral("E&xit"), this);
    ExitAction->setObjectName(QStringLiteral("ExitAction"));
    connect(ExitAction, &QAction::triggered, this, [this] { ExitActionExecute(); });

    HelpAction = new QAction(QStringLiteral("&Help"), this);
    HelpAction->setObjectName(QStringLiteral("HelpAction"));
    HelpAction->setShortcut(QKeySequence::HelpContents);
    connect(HelpAction, &QAction::triggered, this,
            [this] { run(CommandKind::Plain, [this] { HelpActionExecute(); }); });

    auto makeAction = [this](const char* name, const QString& caption, void (TMainForm::*handler)(),
                             CommandKind kind = CommandKind::Plain) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this,
                [this, handler, kind] { run(kind, [this, handler] { (this->*handler)(); }); });
        return action;
    };
    Open1 = makeAction("Open1", QStringLiteral("&Open"), &TMainForm::Open1Click);
    Save1 = makeAction("Save1", QStringLiteral("&Save"), &TMainForm::Save1Click,
                       CommandKind::ReadsGrid);
    ReportPreview1 = makeAction("ReportPreview1", QStringLiteral("&Report Results"),
                                &TMainForm::ReportPreview1Click, CommandKind::Solve);
    Copy1 = makeAction("Copy1", QStringLiteral("&Copy"), &TMainForm::Copy1Click,
                       CommandKind::ReadsGrid);
    Copy1->setShortcut(QKeySequence::Copy);
    AutoSize1 = makeAction("AutoSize1", QStringLiteral("&Auto Size"), &TMainForm::AutoSize1Click);
    About1 = makeAction("About1", QStringLiteral("&About"), &TMainForm::About1Click);
    Cases = new CaseController(this, [this](const std::function<void()>& command) {
        return run(CommandKind::ReadsGrid, command);
    });
    Runs = new PipeRunController(*this, [this](const std::function<void()>& command) {
        return run(CommandKind::ReadsGrid, command);
    });
}

void TMainForm::createMenus() {
    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = MainMenu1->addMenu(QStringLiteral("&File"));
    Cases->addFileActions(file, Open1, Save1);
    file->addSeparator();
    file->addAction(ReportPreview1);
    file->addSeparator();
    file->addAction(ExitAction);
    QMenu* edit = MainMenu1->addMenu(QStringLiteral("&Edit"));
    edit->addAction(Copy1);
    QMenu* view = MainMenu1->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    view->addAction(Runs->action());
    QMenu* solve = MainMenu1->addMenu(QStringLiteral("&Solve"));
    solve->addAction(SolveAction);
    trust_->addSolveMenuItems(solve);
    Pipes = new PipeController(*this, [this](const std::function<void()>& command) {
        run(CommandKind::ReadsGrid, command);
    });
    solve->addSeparator();
    solve->addAction(Pipes->SizeForPressureDrop1);
    solve->addAction(Pipes->ChoosePipeSize1);
    MainMenu1->addMenu(Pipes->Menu());
    QMenu* window = MainMenu1->addMenu(QStringLiteral("&Window"));
    window->addAction(AutoSize1);
    trust_->addWindowMenuItems(window);
    units_ = new UnitsController(*this, [this](const std::function<void()>& step) {
        return run(CommandKind::ReadsGrid, step);
    });
    units_->createMenu(MainMenu1);
    QMenu* help = MainMenu1->addMenu(QStringLiteral("&Help"));
    help->addAction(HelpAction);
    help->addSeparator();
    help->addAction(About1);
}

void TMainForm::createGrid() {
    IOGrid1 = new TEntryGrid(centralWidget());
    IOGrid1->setObjectName(QStringLiteral("IOGrid1"));
    IOGrid1->SetColCount(3);
    IOGrid1->SetRowCount(6);
    IOGrid1->SetDefaultColWidth(60);
    IOGrid1->SetDefaultColFormatStr(QStringLiteral("%S"));
    // Rows of 16 px, or taller where the desktop's font needs it.
    const QFontMetrics metrics(IOGrid1->font());
    IOGrid1->SetDefaultRowHeight(std::max(16, metrics.height() + 2));
    IOGrid1->SetFixedCols(0);
    IOGrid1->SetScrollBars(QxScrollStyle::None);
    IOGrid1->SetOptions(xgoFixedVertLine | xgoFixedHorzLine | xgoVertLine | xgoHorzLine |
                        xgoColSizing | xgoEditing);
    IOGrid1->SetAlwaysShowCell(false);
    IOGrid1->SetBorderStyle(QxBorderStyle::None);
    const QPalette& palette = IOGrid1->palette();
    IOGrid1->SetColor(palette.color(QPalette::Button));
    IOGrid1->SetColorEditCol(palette.color(QPalette::Base));
    IOGrid1->SetColorEditMode(palette.color(QPalette::Base));
    IOGrid1->SetColorEditModeText(palette.color(QPalette::Text));
    IOGrid1->SetDelim(';');
    IOGrid1->SetLines(kInputGridLines);
    // The designed widths, widened where the desktop's font needs more room for the longest
    // caption, value and unit of the grid and the results list.
    const int widths[] = {
        std::max(kDesignColumnWidths[0],
                 metrics.horizontalAdvance(QStringLiteral("Diffusion Coefficient")) + 12),
        std::max(kDesignColumnWidths[1],
                 metrics.horizontalAdvance(QStringLiteral("Transition")) + 12),
        std::max(kDesignColumnWidths[2], metrics.horizontalAdvance(QStringLiteral("mW/m-K")) + 12)};
    for (int col = 0; col < 3; ++col)
        IOGrid1->SetColWidths(col, widths[col]);
    IOGrid1->Loaded();
    IOGrid1->setFixedHeight(std::max(108, (IOGrid1->DefaultRowHeight() + IOGrid1->GridLineWidth()) *
                                              IOGrid1->RowCount()));

    IOGrid1->OnDoSetData = [this](QObject*, int col, int row) {
        run(CommandKind::Plain, [this, col, row] { IOGrid1DoSetData(col, row); });
    };
    IOGrid1->OnDrawCell = [this](QObject*, int, int row, const QRect&, QxGridDrawState) {
        if (row == 0)
            FitListColumns();
    };
}

void TMainForm::createList() {
    // Headers hidden before there are rows and columns: the table measures visible headers only,
    // and measuring one loads the bold header font.
    ListView1 = new QTableWidget(centralWidget());
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->horizontalHeader()->hide();
    ListView1->verticalHeader()->hide();
    ListView1->setRowCount(static_cast<int>(kResultCount));
    ListView1->setColumnCount(3);
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setFocusPolicy(Qt::NoFocus);
    // The list never takes the focus from the grid, so a click in it commits the grid's open
    // editor itself, as the focus leaving the grid would.
    ListView1->viewport()->installEventFilter(this);
    ListView1->setWordWrap(false);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 2);
    for (int col = 0; col < 3; ++col)
        ListView1->setColumnWidth(col, kListColumnWidths[col]);
    const ResultRows rows = InitialResultRows();
    for (int i = 0; i < static_cast<int>(kResultCount); ++i) {
        const ResultRow& row = rows[static_cast<std::size_t>(i)];
        ListView1->setItem(i, 0, new QTableWidgetItem(qs(row.caption)));
        ListView1->setItem(i, 1, new QTableWidgetItem(qs(row.value)));
        ListView1->setItem(i, 2, new QTableWidgetItem(qs(row.units)));
    }
    units_->attachViews();
}

void TMainForm::createStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    statusPanels_[0] = new QLabel(StatusBar1);
    statusPanels_[0]->setFixedWidth(120);
    statusPanels_[1] = new QLabel(StatusBar1);
    // The given pair never gives way to the notes beside it: room for the widest pair.
    int pairWidth = 50;
    for (const char* pair : {"QD", "QV", "DV", "DQ", "VQ", "VD"}) {
        const QString text =
            qs(FlowCase::QuantityName(pair[0]) + ", " + FlowCase::QuantityName(pair[1]));
        pairWidth = std::max(pairWidth, statusPanels_[1]->fontMetrics().horizontalAdvance(text));
    }
    statusPanels_[1]->setMinimumWidth(pairWidth);
    StatusBar1->addWidget(statusPanels_[0]);
    StatusBar1->addWidget(statusPanels_[1], 1);
}

void TMainForm::setStatus(int panel, const QString& text) {
    statusPanels_[panel]->setText(text);
}

QString TMainForm::StatusText(int panel) const {
    return statusPanels_[panel]->text();
}

CaseFilePlaces TMainForm::CasePlaces() const {
    // An installed copy never writes beside itself: its case lives in the user's folder.
    return CaseFilePlaces::Find(WithTrailingBackslash(programFolder_), Shell().ProgramInstalled,
                                WithTrailingBackslash(Shell().UserDataFolder));
}

std::string TMainForm::CaseFileName() const {
    return CasePlaces().SaveTarget();
}

void TMainForm::FormCreate() {
    programFolder_ = Shell().ProgramFolder;
    RestoreFormPlacement(*this, false, true);

    // The store opened once for all the window's settings, its controllers' too; nothing is
    // written, so the update's end only closes it again.
    TRegIniFile settings(Shell().SettingsKeyName);
    settings.BeginUpdate();
    for (int col = 0; col < 3; ++col) {
        const int width = settings.ReadInteger(kSettingsSection, "Col" + std::to_string(col),
                                               IOGrid1->ColWidths(col));
        // A width that no one could have dragged counts as missing.
        if (width >= 4 && width <= 2000)
            IOGrid1->SetColWidths(col, width);
    }
    ValidStoredCase({settings.ReadFloat(kSettingsSection, "Q", kDefaultFlowRate),
                     settings.ReadFloat(kSettingsSection, "d", kDefaultDiameter),
                     settings.ReadFloat(kSettingsSection, "t", kDefaultTemperature),
                     settings.ReadFloat(kSettingsSection, "k", kDefaultRoughness)})
        .ApplyTo(Flow);
    trust_->readSettings(settings);
    units_->readSettings(settings);
    Runs->readSettings(settings);

    const std::string program = RunningProgramPath();
    std::string fileVersion = "1.0.0.0";
    try {
        setWindowTitle(qs(ProductCaption(program)));
        fileVersion = FileVersionText(program);
    } catch (const std::exception&) {
        // A program without version data keeps its designed caption.
    }
    Cases->setBaseTitle(windowTitle());
    AboutBoxDlg1->SetVersion(qs(fileVersion.substr(0, fileVersion.rfind('.'))));
    AboutBoxDlg1->SetDetailLines({QStringLiteral("Calculated with Corvel ") +
                                  AboutBoxDlg1->Version() +
                                  QStringLiteral(", water flowing full in a round pipe.")});

    IOGrid1->SetPropEditor(kDiameterRow, [this](Variant& value) { return PickPipeSize(value); });
    IOGrid1->SetPropEditor(kRoughnessRow,
                           [this](Variant& value) { return OpenRoughnessGuide(value); });

    Flow.EditOrder = "QDV";
    Flow.Derived = 0;
    ShowInputs();
}

void TMainForm::FormActivate() {
    if (report_)
        report_->OnReportRefresh = [this] { ComposeReport(); };
    run(CommandKind::ActivationSolve, [this] { SolveActionExecute(); });
}

QStringList TMainForm::gridValueTexts() const {
    QStringList texts;
    for (int row = kFlowRateRow; row < IOGrid1->RowCount(); ++row)
        texts << IOGrid1->Cells(kValueColumn, row);
    return texts;
}

bool TMainForm::run(CommandKind kind, const std::function<void()>& command) {
    if ((kind == CommandKind::ReadsGrid || kind == CommandKind::Solve) && !commitGridEdit())
        return false;
    try {
        command();
        if (kind == CommandKind::Solve || kind == CommandKind::ActivationSolve)
            reportedTexts_.clear();
        return true;
    } catch (const std::exception& error) {
        ++failures_;
        const QStringList texts = gridValueTexts();
        if (kind == CommandKind::ActivationSolve && texts == reportedTexts_)
            return false;
        reportedTexts_ = texts;
        ReportError(error.what());
        return false;
    }
}

bool TMainForm::commitGridEdit() {
    const int failuresBefore = failures_;
    IOGrid1->CommitEditor(); // its data-set step runs as a command of its own
    return failures_ == failuresBefore;
}

void TMainForm::FormClose() {
    try {
        // Placement, column widths and inputs in one replacement of the settings file.
        TRegIniFile settings(Shell().SettingsKeyName);
        settings.BeginUpdate();
        SaveFormPlacement(*this, settings);
        for (int col = 0; col < 3; ++col)
            settings.WriteInteger(kSettingsSection, "Col" + std::to_string(col),
                                  Runs->ownColumnWidth(col));
        settings.WriteFloat(kSettingsSection, "Q", Flow.FlowRate);
        settings.WriteFloat(kSettingsSection, "d", Flow.Diameter);
        settings.WriteFloat(kSettingsSection, "t", Flow.Temperature);
        settings.WriteFloat(kSettingsSection, "k", Flow.Roughness);
        trust_->writeSettings(settings);
        units_->writeSettings(settings);
        Runs->writeSettings(settings);
        settings.EndUpdate();
    } catch (const std::exception&) {
        // The settings store could not be written; the program is closing all the same.
    }
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched == ListView1->viewport())
        commitGridEdit();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event) {
    // The window opens with its case solved, so its first paint shows the results. A case that
    // cannot be read or solved is left as it is to the activation that follows, which solves
    // again and reports it.
    if (!event->spontaneous() && !shownBefore_) {
        shownBefore_ = true;
        try {
            ReadInputs();
            FlowCase trial = Flow;
            if (trial.Solve().solved)
                SolveActionExecute();
        } catch (const std::exception&) {
        }
        // The about box greets the user at start-up when its check box asked for that: once
        // the window itself is on screen.
        if (Shell().ShowAtStartup)
            QTimer::singleShot(0, this,
                               [this] { run(CommandKind::Plain, [this] { About1Click(); }); });
    }
    QMainWindow::showEvent(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    commitGridEdit(); // the value typed last is part of the case that is kept
    if (!Cases->maySwitchAway()) {
        event->ignore();
        return;
    }
    FormClose();
    if (report_)
        report_->hide();
    event->accept();
}

void TMainForm::ReadInputs() {
    InputTexts texts;
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
        texts[static_cast<std::size_t>(row - 1)] = IOGrid1->Cells(kValueColumn, row).toStdString();
    Flow.ReadInputs(texts);
    Runs->readInputs();
}

void TMainForm::ShowInputs() {
    const InputTexts texts = Flow.ShowInputs();
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row)
        IOGrid1->SetCells(kValueColumn, row, qs(texts[static_cast<std::size_t>(row - 1)]));
    Runs->showInputs();
    setStatus(0, QStringLiteral("Modified..."));
    setStatus(1, qs(Flow.GivenPairText()));
    Cases->inputsChanged();
}

void TMainForm::SolveActionExecute() {
    ReadInputs(); // an unreadable grid text ends the command with the error report
    const SolveOutcome outcome = Flow.Solve([this] {
        ShowResults();
        ComposeReport();
    });
    setStatus(0, QString::fromLatin1(outcome.statusText()));
    trust_->showSolve(outcome.solved);
}

void TMainForm::IOGrid1DoSetData(int, int ARow) {
    ReadInputs();
    Flow.ApplyEdit(ARow);
    ShowInputs();
}

void TMainForm::FitListColumns() {
    for (int col = 0; col < 3; ++col)
        if (ListView1->columnWidth(col) != IOGrid1->ColWidths(col))
            ListView1->setColumnWidth(col, IOGrid1->ColWidths(col));
}

int TMainForm::PickPipeSize(Variant&) {
    Flow.PickPipeSize();
    ShowInputs();
    return 0;
}

int TMainForm::OpenRoughnessGuide(Variant&) {
    needCompanions();
    if (roughness_ && roughness_->exec() == QDialog::Accepted) {
        Flow.Roughness = roughness_->SelectedRoughness * 0.001;
        ShowInputs();
    }
    return 0;
}

void TMainForm::ShowResults() {
    // A case never solved has no density yet: its list keeps the zeros it started with.
    const ResultRows rows = Flow.Density > 0 ? MakeResultRows(Flow) : InitialResultRows(Flow.Units);
    for (int i = 0; i < static_cast<int>(kResultCount); ++i) {
        ListView1->item(i, 1)->setText(qs(rows[static_cast<std::size_t>(i)].value));
        ListView1->item(i, 2)->setText(qs(rows[static_cast<std::size_t>(i)].units));
    }
    Runs->showResults();
}

void TMainForm::Copy1Click() {
    // The thirteen lines, and the pipe run's after them while it is shown.
    std::vector<ResultRow> rows;
    for (int i = 0; i < ListView1->rowCount(); ++i)
        rows.push_back({ListView1->item(i, 0)->text().toStdString(),
                        ListView1->item(i, 1)->text().toStdString(),
                        ListView1->item(i, 2)->text().toStdString()});
    QApplication::clipboard()->setText(qs(ClipboardText(rows)));
}

void TMainForm::ComposeReport() {
    if (!report_)
        return;
    ReportContent content;
    const int lastRow = static_cast<int>(IOGrid1->Lines().size()) - 1;
    for (int row = 1; row <= lastRow; ++row)
        content.inputs.push_back({IOGrid1->Cells(0, row).toStdString(),
                                  IOGrid1->Cells(1, row).toStdString(),
                                  IOGrid1->Cells(2, row).toStdString()});
    for (int i = 0; i < ListView1->rowCount(); ++i)
        content.results.push_back({ListView1->item(i, 0)->text().toStdString(),
                                   ListView1->item(i, 1)->text().toStdString(),
                                   ListView1->item(i, 2)->text().toStdString()});
    const QStringList details = AboutBoxDlg1->DetailLines();
    if (!details.isEmpty())
        content.closingLine = details.first().toStdString();
    trust_->addToReport(content);
    report_->ShowReport(ComposeReportParagraphs(content));
}

void TMainForm::ReportPreview1Click() {
    needCompanions();
    SolveActionExecute();
    if (report_) {
        report_->show();
        report_->raise();
    }
}

void TMainForm::Open1Click() {
    if (!Cases->maySwitchAway())
        return;
    const CaseFile caseFile(CasePlaces().OpenSource());
    const std::optional<StoredCase> stored = caseFile.Read();
    if (!stored) {
        StatusBar1->showMessage(
            QStringLiteral("No saved case (%1 does not exist)").arg(qs(caseFile.path())), 5000);
        return;
    }
    stored->ApplyTo(Flow);
    Runs->applyRun(caseFile.ReadRun());
    ShowInputs();
    Cases->fixedFileOpened();
    StatusBar1->showMessage(QStringLiteral("Case opened from ") + qs(caseFile.path()), 5000);
    SolveActionExecute();
}

void TMainForm::Save1Click() {
    if (Cases->saveNamed())
        return;
    const CaseFile caseFile(CaseFileName());
    caseFile.Write(StoredCase::Of(Flow), Runs->storedRun());
    StatusBar1->showMessage(QStringLiteral("Case saved in ") + qs(caseFile.path()), 5000);
}

void TMainForm::AutoSize1Click() {
    const QFontMetrics metrics(IOGrid1->font());
    const QFontMetrics listMetrics(ListView1->font());
    int gridWidth = 0;
    for (int col = 0; col < IOGrid1->ColCount(); ++col) {
        int widest = 50;
        for (int row = 0; row < IOGrid1->RowCount(); ++row)
            widest = std::max(widest, metrics.horizontalAdvance(IOGrid1->Cells(col, row)));
        // The results list shares the grid's columns: its texts are fitted too, or the column
        // would cut them ("Diffusion Coeffici…").
        if (col < ListView1->columnCount())
            for (int row = 0; row < ListView1->rowCount(); ++row)
                if (const QTableWidgetItem* item = ListView1->item(row, col))
                    widest = std::max(widest, listMetrics.horizontalAdvance(item->text()));
        const int width = col == 0   ? std::max(widest + 10, 90)
                          : col == 1 ? std::max(widest + 25, 60)
                                     : widest + 15;
        IOGrid1->SetColWidths(col, width);
        gridWidth += width;
    }
    const int lineWidth = IOGrid1->GridLineWidth();
    const int clientWidth = gridWidth + lineWidth * (IOGrid1->ColCount() + 1) - 1;
    const int listHeight = static_cast<int>(
        std::trunc(QFontMetrics(ListView1->font()).height() * 1.35 * ListView1->rowCount()));
    const int gridHeight = (IOGrid1->RowHeights(0) + lineWidth) * IOGrid1->RowCount();
    IOGrid1->setFixedHeight(gridHeight);
    const int height = gridHeight + StatusBar1->height() + menuBar()->height() + listHeight;
    // Never narrower than the menu bar, whose last menus would otherwise fold behind "»".
    const int width = std::max({clientWidth, menuBar()->sizeHint().width(), minimumWidth()});
    resize(width, std::max(height, minimumHeight()));
    FitListColumns();
}

QString TMainForm::HelpPagePath() const {
    const QString besideProgram = qs(programFolder_) + QStringLiteral("Help/index.htm");
    if (QFileInfo::exists(besideProgram))
        return besideProgram;
    // Installed: the program in <prefix>/bin, its data in <prefix>/share/corvel.
    const QString installed = qs(programFolder_) + QStringLiteral("../share/corvel/Help/index.htm");
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    const QString located = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                   QStringLiteral("corvel/Help/index.htm"));
    return located.isEmpty() ? besideProgram : located;
}

void TMainForm::HelpActionExecute() {
    // False when no program to open it was found (xdg-open missing) or it could not start.
    const QString page = HelpPagePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        throw Exception("The help page " + page.toStdString() +
                        " could not be opened: no program to show it was found. Install "
                        "xdg-utils, or open the page in a web browser.");
}

void TMainForm::About1Click() {
    // The logo is decoded on first showing rather than at start-up.
    if (AboutBoxDlg1->Picture().isNull())
        AboutBoxDlg1->SetPicture(QPixmap(QStringLiteral(":/images/logo.jpg")));
    AboutBoxDlg1->ShowAbout();
}

void TMainForm::ExitActionExecute() {
    close();
}

} // namespace corvel
