#pragma once

class QSettings;
class QWidget;

// Position, size and state of a window under the keys every window stores (Height, Left,
// PixelsPerInch, Top, Width, WindowState: 0 normal, 1 minimised, 2 maximised), in the settings'
// current group.
namespace StoredGeometry {
void save(QSettings& settings, const QWidget* window);
// Leaves the window as it is when nothing was stored.
void restore(QSettings& settings, QWidget* window);
} // namespace StoredGeometry
