#pragma once

#include <QRect>
#include <QSize>

class QSettings;
class QWidget;

// Position, size and state of a window under the keys every window stores (Height, Left,
// PixelsPerInch, Top, Width, WindowState: 0 normal, 1 minimised, 2 maximised), in the settings'
// current group.
//
// What is restored is kept where the user can reach it: a main window within the available area
// of a screen, a child window within its parent's area, neither smaller than a usable minimum. A
// settings file with a window far off the screen, or with sizes at the limits of an integer, would
// otherwise put the window out of sight for good, as it is saved back the way it was restored.
namespace StoredGeometry {

void save(QSettings& settings, const QWidget* window);
// Leaves the window as it is when nothing usable was stored; a stored size below kMinimumSize
// leaves it its present size.
void restore(QSettings& settings, QWidget* window);

// The smallest window worth restoring: its title, a few buttons and a few rows.
inline constexpr QSize kMinimumSize{240, 160};

// The stored rectangle (any values, as read) shrunk to fit `available` and moved into it, and grown
// to `minimum` where `available` allows.
QRect fitted(qint64 left, qint64 top, qint64 width, qint64 height, const QRect& available,
             const QSize& minimum = kMinimumSize);

} // namespace StoredGeometry
