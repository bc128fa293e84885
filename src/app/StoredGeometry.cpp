#include "app/StoredGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <optional>

namespace {

std::optional<qint64> storedNumber(QSettings& settings, const QString& key)
{
    bool ok = false;
    const qint64 value = settings.value(key).toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// Where the window may lie: a child within its parent, a main window within the screen its stored
// centre falls on (or the screen it is on, when the centre is on none).
QRect availableArea(const QWidget* window, const QRect& stored)
{
    if (const QWidget* parent = window->parentWidget(); parent && !window->isWindow()) {
        if (!parent->rect().isEmpty())
            return parent->rect();
    }
    const QScreen* screen = stored.isValid() ? QGuiApplication::screenAt(stored.center()) : nullptr;
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

qint64 bounded(qint64 value, qint64 low, qint64 high) { return std::clamp(value, low, std::max(low, high)); }

} // namespace

QRect StoredGeometry::fitted(qint64 left, qint64 top, qint64 width, qint64 height, const QRect& available,
                             const QSize& minimum)
{
    const qint64 w = bounded(width, std::min<qint64>(minimum.width(), available.width()), available.width());
    const qint64 h = bounded(height, std::min<qint64>(minimum.height(), available.height()), available.height());
    const qint64 x = bounded(left, available.left(), qint64(available.left()) + available.width() - w);
    const qint64 y = bounded(top, available.top(), qint64(available.top()) + available.height() - h);
    return QRect(int(x), int(y), int(w), int(h));
}

void StoredGeometry::save(QSettings& settings, const QWidget* window)
{
    const QRect frame = window->isMaximized() || window->isMinimized() ? window->normalGeometry() : window->geometry();
    settings.setValue(QStringLiteral("Height"), frame.height());
    settings.setValue(QStringLiteral("Left"), frame.x());
    settings.setValue(QStringLiteral("PixelsPerInch"), window->logicalDpiY());
    settings.setValue(QStringLiteral("Top"), frame.y());
    settings.setValue(QStringLiteral("Width"), frame.width());
    settings.setValue(QStringLiteral("WindowState"), window->isMinimized() ? 1 : (window->isMaximized() ? 2 : 0));
}

void StoredGeometry::restore(QSettings& settings, QWidget* window)
{
    auto width = storedNumber(settings, QStringLiteral("Width"));
    auto height = storedNumber(settings, QStringLiteral("Height"));
    // A size no one could work in was not the user's choice: the window keeps the size it was given
    // (its default), at the stored place.
    if (width && height && (*width < kMinimumSize.width() || *height < kMinimumSize.height())) {
        width = window->width();
        height = window->height();
    }
    if (width && height) {
        const qint64 left = storedNumber(settings, QStringLiteral("Left")).value_or(window->x());
        const qint64 top = storedNumber(settings, QStringLiteral("Top")).value_or(window->y());
        // Only for choosing the screen; values beyond an int cannot name one.
        const QRect asStored = QRect(QPoint(int(bounded(left, INT_MIN / 2, INT_MAX / 2)),
                                            int(bounded(top, INT_MIN / 2, INT_MAX / 2))),
                                     QSize(int(bounded(*width, 1, INT_MAX / 2)), int(bounded(*height, 1, INT_MAX / 2))));
        // A main window's stored rectangle leaves out the frame the window manager draws around it,
        // title bar included: the frame must fit as well.
        const QRect inner = window->geometry();
        const QRect outer = window->isWindow() ? window->frameGeometry() : inner;
        const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                             outer.bottom() - inner.bottom());
        const QRect available = availableArea(window, asStored).marginsRemoved(frame);
        if (!available.isEmpty())
            window->setGeometry(fitted(left, top, *width, *height, available));
    }
    switch (settings.value(QStringLiteral("WindowState")).toInt()) {
    case 1:
        window->showMinimized();
        break;
    case 2:
        window->showMaximized();
        break;
    default:
        break;
    }
}
