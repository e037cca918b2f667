#include "app/TrustController.h"

#include "app/LinePressureDialog.h"
#include "app/Main.h"
#include "app/PipeRunController.h"
#include "chart/MoodyDiagram.h"
#include "chart/MoodyWindow.h"
#include "grid/QxEntryGrid.h"
#include "platform/RegIniFile.h"
#include "report/QxReporter.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTableWidget>

#include <cmath>
#include <utility>

namespace corvel {

namespace {

/// The status bar's notes panel: it gives way to the given pair when the window is narrow and
/// cuts its title with "…" instead; the whole note is in its tooltip.
class NotesLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override {
        const QSize hint = QLabel::minimumSizeHint();
        return {std::min(hint.width(), fontMetrics().horizontalAdvance(QStringLiteral("≈ …"))),
                hint.height()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QRect room = contentsRect();
        painter.drawText(room, int(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }
};

const char* const kSection = "Settings";
const char* const kWaterKey = "WaterModel";
const char* const kLinePressureKey = "LinePressure";
constexpr int kValueColumn = 1;

/// The colour a marked value is shown in: red where a figure cannot be relied on, amber where
/// it is less accurate or merely a design hint.
QColor markColour(NoteSeverity severity) {
    return severity == NoteSeverity::Warning ? QColor(176, 0, 0) : QColor(160, 96, 0);
}

/// The input rows a solve may derive, with the line bit a note marks each by.
constexpr std::pair<InputRow, ResultLine> kDerivedRows[] = {
    {kFlowRateRow, kLineFlowRate},
    {kVelocityRow, kLineVelocity},
    {kDiameterRow, kLineDiameter},
};

/// The mark of one line: the texts of the notes that `marks`, one a line, and the colour of the
/// most serious of them (invalid for none).
struct LineMark {
    QString tip;
    QColor colour;
};

template <typename Marks> LineMark markOf(const std::vector<ValidityNote>& notes, Marks marks) {
    LineMark mark;
    const ValidityNote* worst = nullptr;
    for (const ValidityNote& note : notes) {
        if (!marks(note))
            continue;
        if (!mark.tip.isEmpty())
            mark.tip += QLatin1Char('\n');
        mark.tip += QString::fromStdString(note.text);
        if (!worst || note.severity > worst->severity)
            worst = &note;
    }
    if (worst)
        mark.colour = markColour(worst->severity);
    return mark;
}

std::string_view summaryOf(std::string_view code) {
    for (const NoteKind& kind : kNoteKinds)
        if (kind.code == code)
            return kind.summary;
    return {};
}

/// A few words for the status bar, which leaves the room to the given pair; the summary and
/// the note itself are in the panel's tooltip.
QString shortTitleOf(std::string_view code) {
    static const std::pair<std::string_view, const char*> titles[] = {
        {"transition", "Transition zone"},
        {"boiling", "Water boils"},
        {"derived-range", "Derived value out of range"},
        {"supercooled", "Supercooled water"},
        {"cold-simple", "At or below 0 °C"},
        {"hot-simple", "Above 100 °C"},
        {"rough-kd", "k/D beyond the chart"},
        {"fast", "Fast flow"},
        {"slow", "Slow flow"},
        {"check-valve", "Check valve not fully open"},
    };
    for (const auto& [known, title] : titles)
        if (known == code)
            return QStringLiteral("≈ ") + QString::fromUtf8(title);
    return QStringLiteral("≈ ") + QString::fromUtf8(code);
}

} // namespace

QString WaterModelCaption(WaterModel model) {
    return model == WaterModel::Iapws ? QStringLiteral("&IAPWS reference")
                                      : QStringLiteral("&Simple correlations (as designed)");
}

WaterModel WaterModelFromSetting(const std::string& text) {
    return text == "IAPWS" ? WaterModel::Iapws : WaterModel::Simple;
}

std::string WaterModelSetting(WaterModel model) {
    return model == WaterModel::Iapws ? "IAPWS" : "Simple";
}

double LinePressureFromSetting(double stored) {
    return std::isfinite(stored) && stored >= kMinLinePressure && stored <= kMaxLinePressure
               ? stored
               : kStandardLinePressure;
}

bool NoteIsReported(const ValidityNote& note) {
    return note.severity > NoteSeverity::Hint;
}

TrustController::TrustController(TMainForm& form) : QObject(&form), form_(form) {
    setObjectName(QStringLiteral("TrustController"));
    waterGroup_ = new QActionGroup(this);
    waterGroup_->setExclusive(true);
    auto makeChoice = [this](const char* name, WaterModel model) {
        auto* action = new QAction(WaterModelCaption(model), &form_);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        waterGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, model] { chooseWater(model); });
        return action;
    };
    simpleAction_ = makeChoice("WaterSimpleAction", WaterModel::Simple);
    iapwsAction_ = makeChoice("WaterIapwsAction", WaterModel::Iapws);
    simpleAction_->setChecked(true);

    linePressureAction_ = new QAction(QStringLiteral("&Line Pressure..."), &form_);
    linePressureAction_->setObjectName(QStringLiteral("LinePressureAction"));
    connect(linePressureAction_, &QAction::triggered, this, [this] { editLinePressure(); });

    moodyAction_ = new QAction(QStringLiteral("&Moody Diagram"), &form_);
    moodyAction_->setObjectName(QStringLiteral("MoodyDiagramAction"));
    connect(moodyAction_, &QAction::triggered, this, [this] { showMoodyWindow(); });
}

TrustController::~TrustController() = default;

void TrustController::addSolveMenuItems(QMenu* solve) {
    QMenu* water = solve->addMenu(QStringLiteral("&Water Properties"));
    water->setObjectName(QStringLiteral("WaterPropertiesMenu"));
    water->addAction(simpleAction_);
    water->addAction(iapwsAction_);
    water->addSeparator();
    water->addAction(linePressureAction_);
}

void TrustController::addWindowMenuItems(QMenu* window) {
    window->addAction(moodyAction_);
}

void TrustController::setReport(TReportForm* report) {
    if (!report)
        return;
    report->DiagramPainter = [this](QPainter& painter, const QRectF& bounds) {
        std::optional<MoodyOperatingPoint> point;
        if (solved_)
            point = MoodyOperatingPoint{form_.Flow.Reynolds, form_.Flow.Friction,
                                        static_cast<int>(form_.Flow.Regime)};
        RenderMoodyDiagram(painter, bounds, point);
    };
}

void TrustController::readSettings(const TRegIniFile& settings) {
    form_.Flow.Water = WaterModelFromSetting(settings.ReadString(kSection, kWaterKey, "Simple"));
    form_.Flow.LinePressure = LinePressureFromSetting(
        settings.ReadFloat(kSection, kLinePressureKey, kStandardLinePressure));
    (form_.Flow.Water == WaterModel::Iapws ? iapwsAction_ : simpleAction_)->setChecked(true);
}

void TrustController::writeSettings(TRegIniFile& settings) const {
    settings.WriteString(kSection, kWaterKey, WaterModelSetting(form_.Flow.Water));
    settings.WriteFloat(kSection, kLinePressureKey, form_.Flow.LinePressure);
}

void TrustController::chooseWater(WaterModel model) {
    form_.Flow.Water = model;
    form_.SolveAction->trigger();
}

void TrustController::editLinePressure() {
    LinePressureDialog dialog(form_.Flow.LinePressure, &form_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    form_.Flow.LinePressure = dialog.pressure();
    form_.Runs->showInputs(); // the pipe run's Line Pressure row shows the same value
    form_.SolveAction->trigger();
}

void TrustController::showSolve(bool solved) {
    solved_ = solved;
    notes_ = solved ? form_.Flow.Notes() : std::vector<ValidityNote>{};
    if (solved)
        for (ValidityNote& note : form_.Runs->notes())
            notes_.push_back(std::move(note));
    markResults();
    markInputs();
    followOnDiagram();
}

void TrustController::markResults() {
    QTableWidget* list = form_.ListView1;
    for (int row = 0; row < list->rowCount(); ++row) {
        QTableWidgetItem* value = list->item(row, kValueColumn);
        if (!value)
            continue;
        // The lines a pipe run adds after the thirteen have bits of their own past the input
        // rows' bits.
        const int thirteen = static_cast<int>(kResultCount);
        const int runLine = row - thirteen;
        const unsigned bit = row < thirteen ? 1U << row
                             : runLine < static_cast<int>(kRunResultCount)
                                 ? 1U << (kFirstRunLineBit + runLine)
                                 : 0U;
        const LineMark mark =
            markOf(notes_, [bit](const ValidityNote& note) { return (note.lines & bit) != 0; });
        // Only the colour and the tooltip change: the texts stay as they are, so copying the
        // list gives the same lines with or without notes.
        if (mark.colour.isValid())
            value->setForeground(mark.colour);
        else
            value->setData(Qt::ForegroundRole, QVariant());
        value->setToolTip(mark.tip);
    }

    if (!notesPanel_) {
        notesPanel_ = new NotesLabel(form_.StatusBar1);
        notesPanel_->setObjectName(QStringLiteral("NotesPanel"));
        form_.StatusBar1->addPermanentWidget(notesPanel_);
    }
    const ValidityNote* most = MostSeriousNote(notes_);
    if (most) {
        notesPanel_->setText(shortTitleOf(most->code));
        notesPanel_->setToolTip(QString::fromUtf8(summaryOf(most->code)) + QLatin1Char('\n') +
                                QString::fromStdString(most->text));
        QPalette palette = notesPanel_->palette();
        palette.setColor(QPalette::WindowText, markColour(most->severity));
        notesPanel_->setPalette(palette);
    } else {
        notesPanel_->clear();
        notesPanel_->setToolTip(QString());
    }
}

void TrustController::markInputs() {
    // A derived flowrate, velocity or diameter outside its row's range is marked on the grid row
    // it shows in, as the results list marks its lines: colour and tooltip, texts unchanged.
    // Other notes on the velocity (the design hints) stay on the results list.
    for (const auto& [row, line] : kDerivedRows) {
        const LineMark mark = markOf(notes_, [line = line](const ValidityNote& note) {
            return note.code == "derived-range" && (note.lines & line) != 0;
        });
        form_.IOGrid1->SetRowMark(row, mark.colour, mark.tip);
    }
}

void TrustController::followOnDiagram() {
    if (!moody_)
        return;
    if (solved_)
        moody_->diagram()->setOperatingPoint(form_.Flow.Reynolds, form_.Flow.Friction,
                                             static_cast<int>(form_.Flow.Regime));
    else
        moody_->diagram()->clearOperatingPoint();
}

void TrustController::showMoodyWindow() {
    if (!moody_) {
        // Made at first use, so start-up does not pay for the diagram.
        moody_ = new MoodyWindow(&form_);
        moody_->setObjectName(QStringLiteral("MoodyWindow"));
        followOnDiagram();
    }
    moody_->show();
    moody_->raise();
    moody_->activateWindow();
}

void TrustController::addToReport(ReportContent& content) const {
    if (form_.Flow.Water == WaterModel::Iapws)
        content.waterLine = "Water properties: IAPWS reference (line pressure " +
                            QString::number(form_.Flow.LinePressure, 'f', 3).toStdString() +
                            " kPa absolute)";
    // Composed while a solve publishes its results, before showSolve: the case's own notes.
    for (const ValidityNote& note : form_.Flow.Notes())
        if (NoteIsReported(note))
            content.notes.push_back(note.text);
    for (const ValidityNote& note : form_.Runs->notes())
        if (NoteIsReported(note))
            content.notes.push_back(note.text);
}

} // namespace corvel
