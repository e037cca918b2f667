#pragma once

// TReportForm: the tool window that shows the formatted results report, and prints it, copies
// it as plain text, hands it to the mail client, sets up the printer and chooses its font.
// The window does not compose the report: its owner hands it the composed paragraphs
// (ShowReport) or writes into RichEdit1, and installs OnReportRefresh, which the window calls
// whenever the report must be laid out again.

#include "report/ReportComposer.h"

#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QPrinter>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QPainter;
class QStatusBar;
class QTextEdit;
class QToolBar;
class QToolButton;

namespace corvel {

class TMapiControl;

/// Where the report window keeps its placement and its font between runs: the per-user
/// settings store, opened and closed around each call.
class ReportFormSettings {
public:
    virtual ~ReportFormSettings() = default;
    /// Restores Left, Top, Width, Height and WinState of `form` from the section named after
    /// its component name, keeping it on screen; visibility is not restored.
    virtual void restorePlacement(QWidget& form) = 0;
    /// Saves Left, Top, Width, Height, Visible and WinState of `form` in its section.
    virtual void savePlacement(const QWidget& form) = 0;
    /// The integer `name` of `section`, or `defaultValue` when it is missing or unreadable.
    virtual int readInteger(const QString& section, const QString& name, int defaultValue) = 0;
    /// The text `name` of `section`, or `defaultValue` when it is missing.
    virtual QString readString(const QString& section, const QString& name,
                               const QString& defaultValue) = 0;
    virtual void writeInteger(const QString& section, const QString& name, int value) = 0;
    virtual void writeString(const QString& section, const QString& name, const QString& value) = 0;
};

/// The colour a 32-bit colour value stands for: 0x00BBGGRR for an RGB colour (the high byte,
/// a palette selector, is ignored), or, with the high bit set, the system colour whose index
/// is the low byte, taken from `palette`.
QColor ColorFromColorValue(std::int32_t value, const QPalette& palette);

/// What the status bar says when a mail hand-off ended with `result` (a MAPI result code) and
/// the mail library's `errorText`.
QString MailOutcomeText(int result, const QString& errorText);

/// The colour value stored for the RGB colour `color` (0x00BBGGRR).
std::int32_t ColorValueFromColor(const QColor& color);

/// `font` as the report sets its text in: the family, size, weight and slant the user chose,
/// without the font's style name ("Book", "Regular", ...), which would otherwise override the
/// bold and italic of the title, the headings and the closing line.
QFont ReportBaseFont(QFont font);

/// The tab stops [pt] for the table lines of `paragraphs` set in `font`: each at least its
/// position in `minimums`, and far enough right that the widest text of the column before it
/// ends at least a gap of one "M" before it, so the columns stay aligned in any font size.
std::vector<double> ReportTabStopsFor(const std::vector<ReportParagraph>& paragraphs,
                                      const QFont& font, const std::vector<double>& minimums);

class TReportForm : public QMainWindow {
    Q_OBJECT

public:
    /// Creates the window hidden, with its placement and font read from `settings` (none:
    /// the designed ones).
    explicit TReportForm(std::shared_ptr<ReportFormSettings> settings = nullptr,
                         QWidget* parent = nullptr);
    ~TReportForm() override;

    QToolBar* ToolBar1 = nullptr;
    QToolButton* ButtonPrint = nullptr;
    QToolButton* ButtonExportPdf = nullptr;
    QToolButton* ButtonCopy = nullptr;
    QToolButton* ButtonEMail = nullptr;
    QToolButton* ButtonSetup = nullptr;
    QToolButton* ButtonFont = nullptr;
    QToolButton* ButtonClose = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QWidget* TabPanel = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    /// Whether printing and exporting add a page with the diagram DiagramPainter paints; kept
    /// in the settings store.
    QCheckBox* CheckPrintDiagram = nullptr;
    TMapiControl* MapiControl1 = nullptr;

    /// The print job's title and the mail subject: the application title at creation.
    QString ReportTitle;
    /// The owner's routine that rebuilds the report; called after a font change and on resize.
    std::function<void()> OnReportRefresh;
    /// Paints the diagram that may follow the report on a page of its own into the given
    /// rectangle (device coordinates); none: no diagram page is ever printed.
    std::function<void(QPainter& painter, const QRectF& bounds)> DiagramPainter;
    /// The file name Export PDF proposes, without a folder.
    QString PdfFileName = QStringLiteral("Corvel report.pdf");
    /// Shows a failure of a button's action to the user; a warning box unless replaced.
    std::function<void(const QString& message)> ShowError;

    /// Sets the tab stops of RichEdit1's current paragraph to `points` (positions in points;
    /// positions of 0 or less set no stop).
    void SetTabStops(const std::vector<double>& points);
    /// The tab stops of RichEdit1's current paragraph, in points.
    std::vector<double> TabStops() const;

    /// Replaces the report with `paragraphs`, each in its style over the report font, with the
    /// table's tab stops widened where the font needs it; the caret ends at the start.
    void ShowReport(const std::vector<ReportParagraph>& paragraphs);

    /// The text of the single status panel.
    QString StatusText() const;
    /// The report font's colour value as stored (system colours keep their high bit).
    std::int32_t FontColor() const { return fontColor_; }
    /// The report font's character set (0 to 255), kept for the settings store.
    int FontCharSet() const { return fontCharSet_; }
    /// The colour the report text is shown in.
    QColor TextColor() const;

    /// The plain text of all lines of RichEdit1, each followed by CR LF; empty for no text.
    QString ReportPlainText() const;

    /// The printer of Print, as Setup left it.
    /// Made on first use: setting up the printing system takes a noticeable part of start-up.
    QPrinter& Printer();

    void ButtonPrintClick();
    /// Asks for a file name and writes the report there as a PDF, without the print dialog.
    void ButtonExportPdfClick();
    /// Writes the report (and the diagram page when chosen) to `fileName` as a PDF; on failure
    /// throws Exception with a sentence saying so.
    void ExportPdf(const QString& fileName);
    void ButtonCopyClick();
    void ButtonEMailClick();
    void ButtonSetupClick();
    void ButtonFontClick();
    void ButtonCloseClick();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void readPlacementAndFont();
    void FormActivate();
    void FormDeactivate();
    void setStatus(const QString& text);
    void mailFinished(int result, const QString& errorText);
    void setFontColor(std::int32_t value);
    void printReport(QPrinter& printer);
    QToolButton* addButton(const char* name, const QString& caption, const QString& hint,
                           void (TReportForm::*handler)());

    std::shared_ptr<ReportFormSettings> settings_;
    QLabel* statusPanel_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    std::int32_t fontColor_;
    int fontCharSet_;
};

} // namespace corvel
