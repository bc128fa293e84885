// A minimal program around the single-instance guard, started as a real process by the guard's
// tests. It uses the guard exactly as the program's main() does and reports on stdout, one line each:
//   FIRST, LATER       which way CheckFirstInstance decided
//   ERROR <message>    CheckFirstInstance failed
//   RESTORED <state>   a restore request arrived; <state> is "normal", "maximized" or "minimized"
//   TERMINATED         the event loop ended (nothing but a terminate request ends it in the tests)
// GUARD_PROBE_STATE (minimized, maximized, maximized-minimized) shows the window that way;
// GUARD_PROBE_LIFETIME_MS ends a forgotten probe (default 30 s).
#include "app/InstanceGuard.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {
void report(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString stateOf(const QWidget& window)
{
    if (window.isMinimized())
        return QStringLiteral("minimized");
    return window.isMaximized() ? QStringLiteral("maximized") : QStringLiteral("normal");
}

void showAsAsked(QWidget& window)
{
    const QByteArray state = qgetenv("GUARD_PROBE_STATE");
    if (state == "minimized")
        window.setWindowState(Qt::WindowMinimized);
    else if (state == "maximized")
        window.setWindowState(Qt::WindowMaximized);
    else if (state == "maximized-minimized")
        window.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    window.show();
}

QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}
} // namespace

int main(int argc, char** argv)
{
    const QStringList arguments = argumentsOf(argc, argv);
    InstanceGuard guard(arguments.first());
    if (!guard.CheckFirstInstance()) {
        if (!guard.errorMessage().isEmpty()) {
            report(QStringLiteral("ERROR ") + guard.errorMessage().simplified());
            return 1;
        }
        report(QStringLiteral("LATER"));
        guard.NotifyFirstInstance(arguments);
        return 0;
    }
    report(QStringLiteral("FIRST"));

    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("guard probe"));
    showAsAsked(window);
    guard.attach(&window);
    QObject::connect(&guard, &InstanceGuard::restoreRequested, [&window] {
        report(QStringLiteral("RESTORED ") + stateOf(window));
    });
    bool lifetimeOver = false;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&lifetimeOver] {
        if (!lifetimeOver)
            report(QStringLiteral("TERMINATED"));
    });
    const int lifetimeMs = qEnvironmentVariableIntValue("GUARD_PROBE_LIFETIME_MS");
    QTimer::singleShot(lifetimeMs > 0 ? lifetimeMs : 30000, &app, [&lifetimeOver] {
        lifetimeOver = true;
        report(QStringLiteral("LIFETIME OVER"));
        QCoreApplication::exit(3);
    });
    return app.exec();
}
