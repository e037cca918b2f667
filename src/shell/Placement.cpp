#include "shell/Placement.h"

#include "platform/RegIniFile.h"
#include "shell/Folders.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace corvel {

namespace {

constexpr int kNormal = 0, kMinimised = 1, kMaximised = 2;

int stateCode(Qt::WindowStates state) {
    if (state & Qt::WindowMinimized)
        return kMinimised;
    if (state & Qt::WindowMaximized)
        return kMaximised;
    return kNormal;
}

} // namespace

QPoint KeepReachable(QPoint topLeft, QSize screen) {
    int left = topLeft.x(), top = topLeft.y();
    if (left < 0)
        left = 0;
    if (left > screen.width() - 100)
        left = screen.width() - 200;
    if (top < 0)
        top = 0;
    if (top > screen.height() - 100)
        top = screen.height() - 200;
    return {left, top};
}

void RestoreFormPlacement(QWidget& form, bool withVisible, bool withSize) {
    TRegIniFile store(Shell().SettingsKeyName);
    store.BeginUpdate(); // one opening of the store for all the reads; nothing is written
    const std::string section = form.objectName().toStdString();
    const QPoint present = form.pos();
    QPoint topLeft(store.ReadInteger(section, "Left", present.x()),
                   store.ReadInteger(section, "Top", present.y()));
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (withSize) {
        // a stored size below 1 pixel makes no sense and counts as missing
        int width = store.ReadInteger(section, "Width", form.width());
        int height = store.ReadInteger(section, "Height", form.height());
        width = width > 0 ? width : form.width();
        height = height > 0 ? height : form.height();
        if (screen != nullptr) {
            // a window larger than the screen could never be seen whole or moved
            const QSize available = screen->availableGeometry().size();
            width = std::min(width, available.width());
            height = std::min(height, available.height());
        }
        form.resize(width, height);
    }
    if (screen != nullptr)
        topLeft = KeepReachable(topLeft, screen->size());
    form.move(topLeft);
    if (withVisible)
        form.setVisible(store.ReadBool(section, "Visible", false));

    const int presentState = stateCode(form.windowState());
    int state = store.ReadInteger(section, "WinState", presentState);
    if (state < kNormal || state > kMaximised)
        state = presentState; // no such state: counts as missing
    Qt::WindowStates states = form.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == kMinimised)
        states |= Qt::WindowMinimized;
    else if (state == kMaximised)
        states |= Qt::WindowMaximized;
    form.setWindowState(states);
}

void SaveFormPlacement(const QWidget& form) {
    TRegIniFile store(Shell().SettingsKeyName);
    store.BeginUpdate();
    SaveFormPlacement(form, store);
    store.EndUpdate();
}

void SaveFormPlacement(const QWidget& form, TRegIniFile& store) {
    const std::string section = form.objectName().toStdString();
    const bool normal = stateCode(form.windowState()) == kNormal;
    const QRect normalGeometry = form.normalGeometry();
    const bool useNormal = !normal && normalGeometry.isValid();
    // pos() is the frame's corner, geometry() the client area's: the normal geometry is moved
    // by the frame's offset so that Left and Top always mean the frame's corner
    const QPoint frameOffset = form.pos() - form.geometry().topLeft();
    const QPoint topLeft = useNormal ? normalGeometry.topLeft() + frameOffset : form.pos();
    const QSize size = useNormal ? normalGeometry.size() : form.size();
    store.WriteInteger(section, "Left", topLeft.x());
    store.WriteInteger(section, "Top", topLeft.y());
    store.WriteInteger(section, "Width", size.width());
    store.WriteInteger(section, "Height", size.height());
    store.WriteBool(section, "Visible", form.isVisible());
    store.WriteInteger(section, "WinState", stateCode(form.windowState()));
}

} // namespace corvel
