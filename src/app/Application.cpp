#include "app/Application.h"

#include "app/QtTranslations.h"
#include "app/WidgetMessageService.h"
#include "data/DatabaseError.h"
#include "data/WaitCursor.h"
#include "text/StrList.h"

#include <QAbstractEventDispatcher>
#include <QCursor>
#include <memory>

namespace {
WidgetMessageService g_boxes;
}

InstrelApplication::InstrelApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    MessageService::install(&g_boxes);
    installQtTranslations(languageIndex());
    WaitCursor::hooks().show = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
    WaitCursor::hooks().restore = [] { QApplication::restoreOverrideCursor(); };
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
