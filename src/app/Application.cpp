#include "app/Application.h"

#include "app/QtTranslations.h"
#include "app/WidgetMessageService.h"
#include "data/DatabaseError.h"
#include "data/WaitCursor.h"
#include "text/StrList.h"

#include <QAbstractEventDispatcher>
#include <QCursor>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <memory>

namespace {
WidgetMessageService g_boxes;

// A drop-down list of many rows would open taller than the screen, its ends out of reach: every list
// that opens is kept within the screen it opens on (its own scroll bar then reaches every row).
class PopupsOnScreen : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->inherits("QComboBoxPrivateContainer"))
            keepOnScreen(static_cast<QWidget*>(watched));
        return false;
    }

private:
    static void keepOnScreen(QWidget* popup)
    {
        const QScreen* screen = popup->screen();
        if (!screen)
            return;
        const QRect area = screen->availableGeometry();
        QRect shown = popup->geometry();
        shown.setHeight(std::min(shown.height(), area.height()));
        shown.setWidth(std::min(shown.width(), area.width()));
        shown.moveTop(std::clamp(shown.top(), area.top(), area.bottom() + 1 - shown.height()));
        shown.moveLeft(std::clamp(shown.left(), area.left(), area.right() + 1 - shown.width()));
        if (shown != popup->geometry())
            popup->setGeometry(shown);
    }
};
} // namespace

InstrelApplication::InstrelApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    MessageService::install(&g_boxes);
    keepPopupsOnScreen();
    installQtTranslations(languageIndex());
    WaitCursor::hooks().show = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
    WaitCursor::hooks().restore = [] { QApplication::restoreOverrideCursor(); };
}

void InstrelApplication::keepPopupsOnScreen()
{
    const QString name = QStringLiteral("PopupsOnScreen");
    if (!qApp || qApp->findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* filter = new PopupsOnScreen(qApp);
    filter->setObjectName(name);
    qApp->installEventFilter(filter);
}

void InstrelApplication::prepare()
{
    QCoreApplication::setAttribute(Qt::AA_UseStyleSheetPropagationInWidgetStyles);
}

InstrelApplication::~InstrelApplication()
{
    WaitCursor::hooks() = {};
    MessageService::install(nullptr);
}

bool InstrelApplication::guarded(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const AbortOperation&) {
    } catch (const DatabaseError& error) {
        // A wait cursor left by the interrupted operation would hide that the program is free again.
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        Messages::error(error.message());
    }
    return false;
}

QMetaObject::Connection InstrelApplication::connectIdle(QObject* context, std::function<void()> work)
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return {};
    auto running = std::make_shared<bool>(false);
    return QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, context,
                            [running, work = std::move(work)] {
                                if (*running)
                                    return;
                                *running = true;
                                guarded(work);
                                *running = false;
                            });
}

bool InstrelApplication::notify(QObject* receiver, QEvent* event)
{
    bool result = false;
    guarded([&] { result = QApplication::notify(receiver, event); });
    return result;
}
