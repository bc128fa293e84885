#include "app/StoredGeometry.h"

#include <QSettings>
#include <QWidget>

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
    if (!settings.contains(QStringLiteral("Width")))
        return;
    const int width = settings.value(QStringLiteral("Width")).toInt();
    const int height = settings.value(QStringLiteral("Height")).toInt();
    if (width > 50 && height > 30)
        window->setGeometry(settings.value(QStringLiteral("Left")).toInt(), settings.value(QStringLiteral("Top")).toInt(),
                            width, height);
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
