#include "chart/MoodyWindow.h"

#include "chart/MoodyDiagram.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace corvel {

namespace {

/// Writes `bytes` to the file through a temporary file, so a failed save leaves any old file.
bool writeWhole(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

MoodyWindow::MoodyWindow(QWidget* parent) : QMainWindow(parent), diagram_(new MoodyDiagram) {
    setObjectName(QStringLiteral("moodyWindow"));
    setWindowTitle(QStringLiteral("Moody Diagram"));
    setCentralWidget(diagram_);
    createActions();
    createMenus();
}

void MoodyWindow::createActions() {
    savePngAction_ = new QAction(QStringLiteral("Save as PNG..."), this);
    savePngAction_->setObjectName(QStringLiteral("actionSavePng"));
    connect(savePngAction_, &QAction::triggered, this, &MoodyWindow::onSavePng);

    saveSvgAction_ = new QAction(QStringLiteral("Save as SVG..."), this);
    saveSvgAction_->setObjectName(QStringLiteral("actionSaveSvg"));
    connect(saveSvgAction_, &QAction::triggered, this, &MoodyWindow::onSaveSvg);

    closeAction_ = new QAction(QStringLiteral("&Close"), this);
    closeAction_->setObjectName(QStringLiteral("actionClose"));
    closeAction_->setShortcut(QKeySequence::Close);
    connect(closeAction_, &QAction::triggered, this, &QWidget::close);
}

void MoodyWindow::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(savePngAction_);
    file->addAction(saveSvgAction_);
    file->addSeparator();
    file->addAction(closeAction_);
}

QSize MoodyWindow::exportSize() const {
    if (diagram_->testAttribute(Qt::WA_WState_Created) && diagram_->width() > 1 &&
        diagram_->height() > 1)
        return diagram_->size();
    return diagram_->sizeHint();
}

bool MoodyWindow::savePng(const QString& fileName) const {
    QImage image(exportSize(), QImage::Format_RGB32);
    {
        QPainter painter(&image);
        diagram_->render(painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    return writeWhole(fileName, bytes);
}

bool MoodyWindow::saveSvg(const QString& fileName) const {
    const QSize size = exportSize();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(96);
    generator.setTitle(QStringLiteral("Moody Diagram"));
    {
        QPainter painter;
        if (!painter.begin(&generator))
            return false;
        diagram_->render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return writeWhole(fileName, bytes);
}

void MoodyWindow::onSavePng() {
    const QString fileName = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save as PNG"), QDir::home().filePath(QStringLiteral("moody.png")),
        QStringLiteral("PNG pictures (*.png)"));
    if (!fileName.isEmpty() && !savePng(fileName))
        reportSaveFailure(fileName);
}

void MoodyWindow::onSaveSvg() {
    const QString fileName = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save as SVG"), QDir::home().filePath(QStringLiteral("moody.svg")),
        QStringLiteral("SVG drawings (*.svg)"));
    if (!fileName.isEmpty() && !saveSvg(fileName))
        reportSaveFailure(fileName);
}

void MoodyWindow::reportSaveFailure(const QString& fileName) {
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("The diagram could not be saved to %1.")
                             .arg(QDir::toNativeSeparators(fileName)));
}

} // namespace corvel
