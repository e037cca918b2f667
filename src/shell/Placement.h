#pragma once

// Window placement kept in the per-user settings key, in the section named after the window's
// object name: "Left", "Top", "Width", "Height", "Visible" and "WinState" (0 normal,
// 1 minimised, 2 maximised).

#include <QPoint>
#include <QSize>

class QWidget;

namespace corvel {

class TRegIniFile;

/// Moves a window position back on the screen: a left edge below 0 becomes 0 and one beyond
/// screen width − 100 becomes screen width − 200; likewise for the top edge and the height.
QPoint KeepReachable(QPoint topLeft, QSize screen);

/// Restores position (kept reachable on the primary screen), with `withSize` the size (no larger
/// than the screen's available area) and with `withVisible` the visibility, then the window
/// state. Missing values leave the window's present ones.
void RestoreFormPlacement(QWidget& form, bool withVisible, bool withSize);

/// Writes position, size, visibility and window state, in one replacement of the settings. A
/// maximised or minimised window keeps the position and size it returns to.
void SaveFormPlacement(const QWidget& form);
/// The same, written through `store` (which may be gathering a window's settings in an update).
void SaveFormPlacement(const QWidget& form, TRegIniFile& store);

} // namespace corvel
