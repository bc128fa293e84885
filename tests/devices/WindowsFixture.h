#pragma once

#include "DevicesFixture.h"
#include "support/ProgramMainWindow.h"

#include "app/Application.h"
#include "app/DueReminder.h"
#include "app/MainFrm.h"
#include "app/WindowRegistry.h"
#include "data/Dataset.h"
#include "devices/rules/DueRule.h"
#include "tables/BaseFrm.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

// The small plant of DevicesFixture inside the main window, with every program window registered,
// so that a window can open another one as the user would.
class WindowsFixture : public DevicesFixture {
protected:
    void SetUp() override
    {
        DevicesFixture::SetUp();
        plant();
        main = showProgramMainWindow();
        QTest::qWait(20);
        messages.clear();
    }
    void TearDown() override
    {
        if (main) {
            main->mdiArea()->closeAllSubWindows();
            main.reset();
        }
        DevicesFixture::TearDown();
    }

    template <class T>
    T* open(const QString& className)
    {
        auto* window = qobject_cast<T*>(main->openOrActivate(className));
        EXPECT_TRUE(window) << className.toStdString();
        QCoreApplication::processEvents();
        return window;
    }
    template <class T>
    static T* child(QObject* window, const QString& name)
    {
        T* found = window->findChild<T*>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    static Dataset* ds(QObject* window, const QString& name) { return child<Dataset>(window, name); }
    // As the user would: the commands' enabling is brought up to date first, as when idle, and a
    // refusal or a database error ends in its message box, as in the program's event dispatch.
    static void trigger(QObject* window, const QString& action)
    {
        if (auto* form = qobject_cast<TBaseForm*>(window))
            form->updateOnIdle();
        QAction* a = child<QAction>(window, action);
        EXPECT_TRUE(a->isEnabled()) << action.toStdString();
        InstrelApplication::guarded([a] { a->trigger(); });
    }

    std::unique_ptr<TMainForm> main;
};
