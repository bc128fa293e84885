#include "app/SubWindowLayout.h"

#include "app/StoredGeometry.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

namespace SubWindowLayout {

bool maximised(const QMdiArea& area)
{
    const QMdiSubWindow* active = area.activeSubWindow();
    if (!active) {
        const auto stacking = area.subWindowList(QMdiArea::StackingOrder);
        for (auto it = stacking.rbegin(); it != stacking.rend() && !active; ++it)
            if ((*it)->isVisible() && !(*it)->isMinimized())
                active = *it;
    }
    return active && active->isMaximized();
}

void placeNew(QMdiSubWindow& window, bool maximised)
{
    if (maximised) {
        window.showMaximized();
        return;
    }
    if (window.isMaximized() || window.isMinimized())
        return; // the window's own stored state
    const QWidget* viewport = window.parentWidget();
    if (!viewport || viewport->rect().isEmpty())
        return;
    const QRect area = viewport->rect();
    // Big enough for its content (or at least for its title and a few rows), as far as the area goes.
    QSize wanted = window.size().expandedTo(StoredGeometry::kMinimumSize);
    if (const QSize content = window.minimumSizeHint(); content.isValid())
        wanted = wanted.expandedTo(content);
    wanted = wanted.boundedTo(area.size());
    const QRect placed = StoredGeometry::fitted(window.x(), window.y(), wanted.width(), wanted.height(), area,
                                                StoredGeometry::kMinimumSize);
    if (placed != window.geometry())
        window.setGeometry(placed);
}

void bringForward(QMdiSubWindow& window, bool maximised)
{
    if (window.isMinimized() || window.isHidden()) {
        if (maximised)
            window.showMaximized();
        else
            window.showNormal();
    } else if (maximised && !window.isMaximized()) {
        window.showMaximized();
    }
}

} // namespace SubWindowLayout
