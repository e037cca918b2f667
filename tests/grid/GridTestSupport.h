#pragma once

// A window holding one string grid and one other control, shown on the offscreen platform with
// the grid focused, for driving the grid with real key and mouse events.

#include "grid/QxGrids.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace corvel::test {

/// The one application object of the test program. It lives until the process ends and is
/// never destroyed: destroying it from an exit handler races Qt's own global teardown.
inline void ensureApplication() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "grid_tests";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        Q_UNUSED(app);
    }
}

struct GridWindow {
    GridWindow() {
        ensureApplication();
        window = std::make_unique<QWidget>();
        grid = new QxStringGrid(window.get());
        grid->setGeometry(0, 0, 360, 200);
        other = new QLineEdit(window.get());
        other->setGeometry(0, 220, 100, 24);
        window->resize(400, 260);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        grid->setFocus();
    }

    void clickCell(int col, int row) {
        const QRect rect = grid->CellRect(col, row);
        ASSERT_FALSE(rect.isEmpty()) << "cell " << col << "," << row << " is not visible";
        // A press on a cell covered by the editor goes to the editor, as a real click would.
        QWidget* target = grid->viewport();
        QPoint pos = rect.center();
        if (editorShowing() && grid->InplaceEditor()->geometry().contains(pos)) {
            target = grid->InplaceEditor();
            pos -= grid->InplaceEditor()->pos();
        }
        QTest::mouseClick(target, Qt::LeftButton, {}, pos);
    }

    bool editorShowing() const {
        return grid->InplaceEditor() != nullptr && grid->InplaceEditor()->isVisible() &&
               grid->EditedCell().x() >= 0;
    }

    std::unique_ptr<QWidget> window;
    QxStringGrid* grid = nullptr;
    QLineEdit* other = nullptr;
};

} // namespace corvel::test
