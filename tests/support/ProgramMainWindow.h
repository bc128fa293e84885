#pragma once

#include "app/DueReminder.h"
#include "app/MainFrm.h"
#include "app/WindowRegistry.h"
#include "devices/rules/DueRule.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// The program's main window as the user meets it, every program window registered, shown and
// active. The start-up reminder of due services is off: it would take the focus from the windows
// under test.
inline std::unique_ptr<TMainForm> showProgramMainWindow()
{
    registerProgramWindows();
    DueReminder::setHorizon(DueRule::Off);
    auto main = std::make_unique<TMainForm>();
    main->resize(1280, 800);
    main->show();
    main->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
    return main;
}
