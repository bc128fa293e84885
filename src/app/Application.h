#pragma once

#include <QApplication>
#include <functional>

// The application object. Database errors that no window catches end up here, in one place, and
// reach the user in the standard error box with the engine's text; an abandoned operation
// (AbortOperation) ends silently. It also installs the real message boxes, the wait cursor and Qt's
// translations for the language in use.
class InstrelApplication : public QApplication {
    Q_OBJECT
public:
    InstrelApplication(int& argc, char** argv);

    // What must be settled before any application object exists; call it first. A skin is a style
    // sheet, and without this a sheet freezes the font of every widget it styles, so that a font
    // chosen later would reach only the windows' frames.
    static void prepare();
    ~InstrelApplication() override;

    // Keeps every drop-down list that opens within its screen; the constructor calls it.
    static void keepPopupsOnScreen();

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs `work`, showing a database error in the standard box instead of letting it escape; the
    // same rule as notify() for code that runs outside event dispatch (start-up, first showing).
    static bool guarded(const std::function<void()>& work);

    // Runs `work` each time the event loop is about to wait (the program's idle time), for as long as
    // `context` lives, under guarded(): idle work runs outside event dispatch, so an error there
    // would otherwise leave the event loop and end the program. While the error box of a failed run
    // is open, its own event loop does not start the work again.
    static QMetaObject::Connection connectIdle(QObject* context, std::function<void()> work);
};
