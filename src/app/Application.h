#pragma once

#include <QApplication>

// The application object. Database errors that no window catches end up here, in one place, and
// reach the user in the standard error box with the engine's text; an abandoned operation
// (AbortOperation) ends silently. It also installs the real message boxes and the wait cursor.
class InstrelApplication : public QApplication {
    Q_OBJECT
public:
    InstrelApplication(int& argc, char** argv);
    ~InstrelApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs `work`, showing a database error in the standard box instead of letting it escape; the
    // same rule as notify() for code that runs outside event dispatch (start-up, first showing).
    static bool guarded(const std::function<void()>& work);
};
