#include "report/QxReporter.h"

#include "platform/Errors.h"
#include "report/MapiControl.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cmath>

namespace corvel {

namespace {

const QString Section = QStringLiteral("ReportForm");
const QString SendingMailText = QStringLiteral("Sending mail...");

// The stored colour of the designed font: the system's window-text colour.
constexpr std::int32_t WindowTextColorValue = static_cast<std::int32_t>(0x80000008u);
// The default character set.
constexpr int DefaultCharSet = 1;

// Stored font sizes outside this range [pt] make no sense for a report and count as missing.
constexpr int MinFontSize = 6;
constexpr int MaxFontSize = 72;

// Qt lays out tab positions in pixels of a 96-dpi device and scales them to the device the
// text is drawn on; 96 px = 72 pt.
constexpr double PixelsPerPoint = 96.0 / 72.0;

/// Relative luminance of `color` (WCAG 2).
double luminance(const QColor& color) {
    auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

/// Contrast ratio of two colours, 1 (none) to 21 (black on white).
double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

QColor ColorFromColorValue(std::int32_t value, const QPalette& palette) {
    const auto bits = static_cast<std::uint32_t>(value);
    if (bits & 0x80000000u) {
        // Windows system colour indexes and the palette roles that stand for them.
        static const std::array<QPalette::ColorRole, 25> roles = {
            QPalette::Button,
            QPalette::Window,
            QPalette::Highlight,
            QPalette::Mid,
            QPalette::Window,
            QPalette::Base,
            QPalette::Shadow,
            QPalette::WindowText,
            QPalette::Text,
            QPalette::HighlightedText,
            QPalette::Window,
            QPalette::Window,
            QPalette::Dark,
            QPalette::Highlight,
            QPalette::HighlightedText,
            QPalette::Button,
            QPalette::Dark,
            QPalette::PlaceholderText,
            QPalette::ButtonText,
            QPalette::WindowText,
            QPalette::Light,
            QPalette::Shadow,
            QPalette::Midlight,
            QPalette::ToolTipText,
            QPalette::ToolTipBase,
        };
        const std::uint32_t index = bits & 0xFFu;
        return palette.color(index < roles.size() ? roles[index] : QPalette::Text);
    }
    return QColor(int(bits & 0xFFu), int((bits >> 8) & 0xFFu), int((bits >> 16) & 0xFFu));
}

std::int32_t ColorValueFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     static_cast<std::uint32_t>(rgb.green()) << 8 |
                                     static_cast<std::uint32_t>(rgb.blue()) << 16);
}

QFont ReportBaseFont(QFont font) {
    font.setStyleName(QString());
    return font;
}

std::vector<double> ReportTabStopsFor(const std::vector<ReportParagraph>& paragraphs,
                                      const QFont& font, const std::vector<double>& minimums) {
    // Measured as the text is laid out on screen; tab positions there are pixels of a
    // 96-dpi device, and printing scales both alike.
    const QFontMetricsF metrics(font);
    std::vector<double> widest(minimums.size(), 0.0);
    for (const ReportParagraph& paragraph : paragraphs) {
        const QStringList cells = QString::fromStdString(paragraph.text).split(QLatin1Char('\t'));
        if (cells.size() < 2)
            continue;
        for (qsizetype i = 0; i < cells.size() && i < qsizetype(widest.size()); ++i)
            widest[std::size_t(i)] =
                std::max(widest[std::size_t(i)], metrics.horizontalAdvance(cells[i]));
    }
    const double gap = metrics.horizontalAdvance(QLatin1Char('M'));
    std::vector<double> stops;
    double previous = 0;
    for (std::size_t i = 0; i < minimums.size(); ++i) {
        const double needed = previous + (widest[i] + gap) / PixelsPerPoint;
        // Whole points, rounded up, keep the stops tidy and never short of the text.
        previous = std::max(minimums[i], std::ceil(needed));
        stops.push_back(previous);
    }
    return stops;
}

QPrinter& TReportForm::Printer() {
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

TReportForm::TReportForm(std::shared_ptr<ReportFormSettings> settings, QWidget* parent)
    : QMainWindow(parent, Qt::Tool), settings_(std::move(settings)),
      fontColor_(WindowTextColorValue), fontCharSet_(DefaultCharSet) {
    setObjectName(QStringLiteral("ReportForm"));
    setWindowTitle(QStringLiteral("Report"));
    setMinimumSize(230, 320);
    resize(354, 451);
    move(589, 178);

    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ButtonPrint =
        addButton("ButtonPrint", QStringLiteral("&Print"), QStringLiteral("Send report to printer"),
                  &TReportForm::ButtonPrintClick);
    ButtonExportPdf = addButton("ButtonExportPdf", QStringLiteral("Export PDF..."),
                                QStringLiteral("Write the report to a PDF file"),
                                &TReportForm::ButtonExportPdfClick);
    ButtonCopy = addButton("ButtonCopy", QStringLiteral("C&opy"),
                           QStringLiteral("Copy report to  Windows clipboard"),
                           &TReportForm::ButtonCopyClick);
    ButtonEMail = addButton("ButtonEMail", QStringLiteral("&Email"),
                            QStringLiteral("Send as EMail"), &TReportForm::ButtonEMailClick);
    ButtonSetup = addButton("ButtonSetup", QStringLiteral("&Setup"),
                            QStringLiteral("Printer setup"), &TReportForm::ButtonSetupClick);
    ButtonFont = addButton("ButtonFont", QStringLiteral("&Font"), QStringLiteral("Set report font"),
                           &TReportForm::ButtonFontClick);
    ButtonClose = addButton("ButtonClose", QStringLiteral("&Close"), QString(),
                            &TReportForm::ButtonCloseClick);

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    statusPanel_ = new QLabel(QStringLiteral("Ready"), StatusBar1);
    StatusBar1->addWidget(statusPanel_, 1);
    CheckPrintDiagram = new QCheckBox(QStringLiteral("Print Moody diagram"), StatusBar1);
    CheckPrintDiagram->setObjectName(QStringLiteral("CheckPrintDiagram"));
    CheckPrintDiagram->setToolTip(
        QStringLiteral("Print and export the Moody diagram on a page after the report"));
    StatusBar1->addPermanentWidget(CheckPrintDiagram);

    auto* client = new QWidget(this);
    auto* layout = new QHBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    TabPanel = new QWidget(client);
    TabPanel->setObjectName(QStringLiteral("TabPanel"));
    TabPanel->setFixedWidth(12);
    TabPanel->setBackgroundRole(QPalette::Base);
    TabPanel->setAutoFillBackground(true);
    layout->addWidget(TabPanel);

    RichEdit1 = new QTextEdit(client);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setAcceptRichText(true);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    RichEdit1->setFont(font);
    layout->addWidget(RichEdit1, 1);
    setCentralWidget(client);

    MapiControl1 = new TMapiControl(this);
    MapiControl1->setObjectName(QStringLiteral("MapiControl1"));
    MapiControl1->setShowDialog(true);
    MapiControl1->setUseAppHandle(false);

    ShowError = [this](const QString& message) {
        QMessageBox::warning(this, windowTitle(), message);
    };

    FormCreate();
}

TReportForm::~TReportForm() = default;

QToolButton* TReportForm::addButton(const char* name, const QString& caption, const QString& hint,
                                    void (TReportForm::*handler)()) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setMinimumSize(35, 21);
    ToolBar1->addWidget(button);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

void TReportForm::FormCreate() {
    setFontColor(fontColor_);
    // A store that cannot be read leaves the designed placement and font in force.
    if (settings_) {
        try {
            readPlacementAndFont();
        } catch (const std::exception&) {
        }
    }

    SetTabStops({90, 155});

    ReportTitle = QGuiApplication::applicationDisplayName();
    OnReportRefresh = nullptr;
}

void TReportForm::readPlacementAndFont() {
    settings_->restorePlacement(*this);

    QFont font = RichEdit1->font();
    const int size = settings_->readInteger(Section, QStringLiteral("FontSize"), font.pointSize());
    if (size >= MinFontSize && size <= MaxFontSize)
        font.setPointSize(size);
    RichEdit1->setFont(font);
    setFontColor(settings_->readInteger(Section, QStringLiteral("FontColor"), fontColor_));
    // The store may match names with or without regard to case, so the character set is read
    // and written under one spelling.
    fontCharSet_ =
        settings_->readInteger(Section, QStringLiteral("FontCharSet"), fontCharSet_) & 0xFF;
    CheckPrintDiagram->setChecked(
        settings_->readInteger(Section, QStringLiteral("PrintDiagram"), 0) == 1);
    const QString name = settings_->readString(Section, QStringLiteral("FontName"), font.family());
    if (!name.trimmed().isEmpty()) {
        font.setFamily(name);
        RichEdit1->setFont(font);
    }
}

void TReportForm::FormActivate() {
    setStatus(MapiControl1->Sending() ? SendingMailText : QStringLiteral("Ready"));
}

void TReportForm::FormDeactivate() {
    if (!settings_)
        return;
    // A store that cannot be written loses this placement and font; saying so at every change
    // of the active window would only get in the way, and the next deactivation tries again.
    try {
        settings_->savePlacement(*this);
        const QFont font = RichEdit1->font();
        settings_->writeInteger(Section, QStringLiteral("FontSize"), font.pointSize());
        settings_->writeInteger(Section, QStringLiteral("FontColor"), fontColor_);
        settings_->writeInteger(Section, QStringLiteral("FontCharSet"), fontCharSet_ & 0xFF);
        settings_->writeString(Section, QStringLiteral("FontName"), font.family());
        settings_->writeInteger(Section, QStringLiteral("PrintDiagram"),
                                CheckPrintDiagram->isChecked() ? 1 : 0);
    } catch (const std::exception&) {
    }
}

void TReportForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            FormActivate();
        else
            FormDeactivate();
    }
}

void TReportForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (OnReportRefresh)
        OnReportRefresh();
}

void TReportForm::setStatus(const QString& text) {
    statusPanel_->setText(text);
}

QString TReportForm::StatusText() const {
    return statusPanel_->text();
}

void TReportForm::setFontColor(std::int32_t value) {
    fontColor_ = value;
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Text, TextColor());
    RichEdit1->setPalette(palette);
}

QColor TReportForm::TextColor() const {
    // A colour that hardly stands out from the page (white on white, say) would hide the
    // report; the text is then shown in the ordinary text colour, while the stored value is
    // kept as it is.
    const QPalette palette = QApplication::palette(RichEdit1);
    const QColor color = ColorFromColorValue(fontColor_, palette);
    const QColor page = palette.color(QPalette::Base);
    return contrast(color, page) >= 2.0 ? color : palette.color(QPalette::Text);
}

void TReportForm::SetTabStops(const std::vector<double>& points) {
    QList<QTextOption::Tab> tabs;
    for (double position : points)
        if (position > 0)
            tabs.append(QTextOption::Tab(position * PixelsPerPoint, QTextOption::LeftTab));
    QTextCursor cursor = RichEdit1->textCursor();
    QTextBlockFormat format = cursor.blockFormat();
    format.setTabPositions(tabs);
    cursor.setBlockFormat(format);
    RichEdit1->setTextCursor(cursor);
}

std::vector<double> TReportForm::TabStops() const {
    std::vector<double> points;
    for (const QTextOption::Tab& tab : RichEdit1->textCursor().blockFormat().tabPositions())
        points.push_back(tab.position / PixelsPerPoint);
    return points;
}

void TReportForm::ShowReport(const std::vector<ReportParagraph>& paragraphs) {
    RichEdit1->clear();
    QTextCursor cursor(RichEdit1->document());
    cursor.movePosition(QTextCursor::Start);
    RichEdit1->setTextCursor(cursor);

    const QFont font = ReportBaseFont(RichEdit1->font());
    SetTabStops(ReportTabStopsFor(
        paragraphs, font,
        std::vector<double>(std::begin(kReportTabStops), std::end(kReportTabStops))));
    cursor = RichEdit1->textCursor();
    // One edit block: the shown report is laid out once, not after every line.
    cursor.beginEditBlock();

    QTextCharFormat plain;
    plain.setFont(font);
    plain.setForeground(TextColor());
    auto formatOf = [&plain](ReportStyle style) {
        QTextCharFormat format = plain;
        switch (style) {
        case ReportStyle::Title:
            format.setFontWeight(QFont::Bold);
            format.setFontUnderline(true);
            break;
        case ReportStyle::Heading:
            format.setFontWeight(QFont::Bold);
            break;
        case ReportStyle::Closing:
            format.setFontItalic(true);
            break;
        case ReportStyle::Plain:
            break;
        }
        return format;
    };

    // The document starts with one empty paragraph, which takes the first line.
    bool first = true;
    for (const ReportParagraph& paragraph : paragraphs) {
        if (!first)
            cursor.insertBlock();
        first = false;
        const QTextCharFormat format = formatOf(paragraph.style);
        cursor.setCharFormat(format);
        cursor.insertText(QString::fromStdString(paragraph.text), format);
    }
    cursor.endEditBlock();

    cursor.movePosition(QTextCursor::Start);
    RichEdit1->setTextCursor(cursor);
}

QString TReportForm::ReportPlainText() const {
    if (RichEdit1->document()->isEmpty())
        return QString();
    QString text;
    for (const QString& line : RichEdit1->toPlainText().split(QLatin1Char('\n')))
        text += line + QStringLiteral("\r\n");
    return text;
}

void TReportForm::printReport(QPrinter& printer) {
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    if (toFile ? printer.outputFileName().isEmpty() : printer.printerName().isEmpty())
        throw Exception("No printer is installed. Choose Setup to select a printer or to "
                        "print the report to a PDF file.");
    printer.setDocName(ReportTitle);

    // Margins measured in the report font on the printer: ten capital X's on the left and
    // six text lines at the top; the page runs to the edges of the printable area.
    const QFont font = RichEdit1->font();
    const QFontMetricsF metrics(font, &printer);
    const double left = metrics.horizontalAdvance(QStringLiteral("XXXXXXXXXX"));
    const double top = 6 * metrics.height();
    const QRectF page(left, top, printer.width() - left, printer.height() - top);
    if (page.width() <= 0 || page.height() <= 0)
        throw Exception("The paper is too small for the report.");

    std::unique_ptr<QTextDocument> document(RichEdit1->document()->clone());
    document->documentLayout()->setPaintDevice(&printer);
    document->setDefaultFont(font);
    document->setDocumentMargin(0);
    // Letters as they are, without ligatures: a PDF viewer would otherwise find "ﬀ" where the
    // report says "ff", and searching or copying the printed words would fail.
    QTextCursor all(document.get());
    all.select(QTextCursor::Document);
    QTextCharFormat unshaped;
    unshaped.setFontStyleStrategy(QFont::PreferNoShaping);
    all.mergeCharFormat(unshaped);
    document->setPageSize(page.size());

    QPainter painter;
    if (!painter.begin(&printer))
        throw Exception("The report could not be printed: the printer did not accept the job.");
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, TextColor());
    // A printer that makes copies itself is asked for them with the job; for any other (a PDF
    // file) the pages are repeated here, collated or not as the print dialog set.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const int pageCount = document->pageCount();
    std::vector<int> sequence;
    for (int copy = 0; copy < copies; ++copy)
        for (int index = 0; index < pageCount; ++index)
            sequence.push_back(printer.collateCopies() ? index
                                                       : (copy * pageCount + index) / copies);
    bool firstPage = true;
    for (const int index : sequence) {
        if (!firstPage && !printer.newPage())
            throw Exception("The report could not be printed: a new page could not be started.");
        firstPage = false;
        painter.save();
        painter.translate(page.left(), page.top() - index * page.height());
        // The layout also draws a line that only touches the clip's lower edge; one device
        // pixel less keeps the first line of the next page off this one.
        context.clip = QRectF(0, index * page.height(), page.width(), page.height() - 1);
        painter.setClipRect(context.clip);
        document->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (CheckPrintDiagram->isChecked() && DiagramPainter) {
        // The diagram on a page of its own, within the report's margins, no taller than
        // 7/10 of its width so it keeps the proportions of the window.
        if (!printer.newPage())
            throw Exception("The report could not be printed: a new page could not be started.");
        const double height = std::min(page.height(), page.width() * 0.7);
        const double right = metrics.horizontalAdvance(QStringLiteral("XXXXX"));
        DiagramPainter(
            painter, QRectF(page.left(), page.top(), std::max(1.0, page.width() - right), height));
    }
    painter.end();
}

void TReportForm::ButtonPrintClick() {
    setStatus(QStringLiteral("Printing report"));
    try {
        printReport(Printer());
    } catch (const Exception& error) {
        setStatus(QStringLiteral("Ready"));
        if (ShowError)
            ShowError(QString::fromStdString(error.message()));
        return;
    }
    setStatus(QStringLiteral("Ready"));
}

void TReportForm::ExportPdf(const QString& fileName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageLayout(Printer().pageLayout());
    printer.setCreator(ReportTitle);
    const QString failure = QStringLiteral("The report could not be exported: %1 could not be "
                                           "written. Choose a folder you may write to.")
                                .arg(fileName);
    // The PDF engine opens the file when painting begins, so a file that cannot be written
    // fails there, before anything of an existing file is lost.
    try {
        printReport(printer);
    } catch (const Exception&) {
        throw Exception(failure.toStdString());
    }
}

void TReportForm::ButtonExportPdfClick() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    QFileDialog dialog(this, QStringLiteral("Export PDF"), folder,
                       QStringLiteral("PDF files (*.pdf)"));
    dialog.setObjectName(QStringLiteral("ExportPdfDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(PdfFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString fileName = dialog.selectedFiles().first();
    setStatus(QStringLiteral("Exporting report"));
    try {
        ExportPdf(fileName);
    } catch (const Exception& error) {
        setStatus(QStringLiteral("Ready"));
        if (ShowError)
            ShowError(QString::fromStdString(error.message()));
        return;
    }
    setStatus(QStringLiteral("Report exported to ") + fileName);
}

void TReportForm::ButtonCopyClick() {
    QGuiApplication::clipboard()->setText(ReportPlainText());
    setStatus(QStringLiteral("Copied to Clipboard..."));
}

void TReportForm::ButtonEMailClick() {
    // One hand-off at a time: a second click while the mail program is still busy would
    // otherwise open a second compose window later.
    if (MapiControl1->Sending()) {
        setStatus(SendingMailText);
        return;
    }
    MapiControl1->setShowDialog(true);
    MapiControl1->Recipients().clear();
    MapiControl1->setSubject(ReportTitle);
    MapiControl1->setBody(ReportPlainText());
    MapiControl1->AttachedFiles().clear();
    // The mail program runs beside the window, which stays usable meanwhile.
    QPointer<TReportForm> self(this);
    if (MapiControl1->SendMailInBackground([self](int result, const QString& errorText) {
            if (self)
                self->mailFinished(result, errorText);
        })) {
        setStatus(SendingMailText);
        ButtonEMail->setEnabled(false);
    }
}

QString MailOutcomeText(int result, const QString& errorText) {
    switch (result) {
    case SUCCESS_SUCCESS:
        return QStringLiteral("Ready");
    case MAPI_E_TEXT_TOO_LARGE:
        return QStringLiteral("The report is too long to mail; copy it instead");
    case MAPI_USER_ABORT:
        return errorText.isEmpty() ? QStringLiteral("Mail not sent") : errorText;
    default:
        return errorText.isEmpty()
                   ? QStringLiteral("The mail program failed (error %1)").arg(result)
                   : errorText;
    }
}

void TReportForm::mailFinished(int result, const QString& errorText) {
    ButtonEMail->setEnabled(true);
    setStatus(MailOutcomeText(result, errorText));
}

void TReportForm::ButtonSetupClick() {
    setStatus(QStringLiteral("Set up printer"));
    QPrintDialog dialog(&Printer(), this);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    // The dialog only sets up the printer: its confirming button must not promise a print.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    dialog.exec();
    setStatus(QStringLiteral("Ready"));
}

void TReportForm::ButtonFontClick() {
    setStatus(QStringLiteral("Select suitable font for report"));
    QFontDialog dialog(RichEdit1->font(), this);
    dialog.setObjectName(QStringLiteral("FontDialog1"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // The font dialog has no colour of its own: a "Colour..." button beside OK chooses the
    // report's text colour, which takes effect with the font when the dialog is confirmed.
    std::int32_t color = fontColor_;
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        QPushButton* colorButton =
            buttons->addButton(QStringLiteral("&Colour..."), QDialogButtonBox::ActionRole);
        colorButton->setObjectName(QStringLiteral("ButtonFontColor"));
        connect(colorButton, &QPushButton::clicked, &dialog, [this, &dialog, &color] {
            QColorDialog colors(ColorFromColorValue(color, QApplication::palette(RichEdit1)),
                                &dialog);
            colors.setObjectName(QStringLiteral("ColorDialog1"));
            colors.setOption(QColorDialog::DontUseNativeDialog);
            if (colors.exec() == QDialog::Accepted && colors.selectedColor().isValid())
                color = ColorValueFromColor(colors.selectedColor());
        });
    }
    if (dialog.exec() == QDialog::Accepted) {
        QFont font = ReportBaseFont(dialog.selectedFont());
        if (font.pointSize() <= 0) // a font sized in pixels keeps the report's size
            font.setPointSize(RichEdit1->font().pointSize());
        font.setPointSize(std::clamp(font.pointSize(), MinFontSize, MaxFontSize));
        RichEdit1->setFont(font);
        setFontColor(color);
        if (OnReportRefresh)
            OnReportRefresh();
    }
    setStatus(QStringLiteral("Ready"));
}

void TReportForm::ButtonCloseClick() {
    close();
}

} // namespace corvel
