#pragma once

// A top-level window showing the Moody diagram, which saves it as a PNG or SVG picture.

#include <QMainWindow>

class QAction;

namespace corvel {

class MoodyDiagram;

class MoodyWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MoodyWindow(QWidget* parent = nullptr);

    MoodyDiagram* diagram() const { return diagram_; }

    /// The size pictures are saved at: the diagram's size on screen, or its preferred size
    /// while it has never been shown.
    QSize exportSize() const;

    /// Writes the diagram as a PNG picture of exportSize(), replacing the file in one step;
    /// false when it could not be written.
    bool savePng(const QString& fileName) const;
    /// Writes the diagram as an SVG drawing of exportSize(); false when it could not be written.
    bool saveSvg(const QString& fileName) const;

private slots:
    void onSavePng();
    void onSaveSvg();

private:
    void createActions();
    void createMenus();
    void reportSaveFailure(const QString& fileName);

    MoodyDiagram* diagram_;
    QAction* savePngAction_ = nullptr;
    QAction* saveSvgAction_ = nullptr;
    QAction* closeAction_ = nullptr;
};

} // namespace corvel
