#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;
class QWidget;

// Lets the program run once per desktop user and executable file name (whatever its directory).
//
// The first instance holds a lock file and listens on a local socket, both named after the
// executable's file name and kept in the user's runtime directory. A later start sees the lock taken,
// sends one request over the socket (come to the front, or quit when started with the STOP switch)
// and exits without creating the application object or any window.
//
// CheckFirstInstance runs before the application object exists: it takes the lock and binds the
// socket with plain system calls, so the endpoint is published at once and a request that arrives
// early waits in the socket's backlog. The first instance starts serving requests as soon as an
// application object exists (in CheckFirstInstance when one already does, otherwise in attach()).
// A later instance sends its request with blocking calls and needs no application object.
//
// Usage in main():
//     InstanceGuard guard(executablePath);
//     if (!guard.CheckFirstInstance()) {
//         if (!guard.errorMessage().isEmpty()) { ...show it...; return 1; }
//         guard.NotifyFirstInstance(arguments);
//         return 0;
//     }
//     QApplication app(argc, argv); ...create windows...; guard.attach(mainWindow); app.exec();
class InstanceGuard : public QObject {
    Q_OBJECT

public:
    enum GuardObject { RestoreMessage, TerminateMessage, InstanceMutex, HandleMapping };

    static constexpr int MaxObjectNameLength = 260;

    // `prefix` followed by the file name of `executable` (any directory is dropped); a longer joined
    // name than MaxObjectNameLength keeps its end, so the front of the prefix is lost.
    static QString BuildObjectName(const QString& prefix, const QString& executable);
    static QString ObjectPrefix(GuardObject object);
    // True when the arguments after the program's own (the first) hold "/STOP" or "-STOP", any case.
    static bool StopRequested(const QStringList& arguments);

    // `placeDirectory` holds the lock and the socket; empty means the user's runtime directory.
    explicit InstanceGuard(const QString& executablePath, const QString& placeDirectory = {},
                           QObject* parent = nullptr);
    ~InstanceGuard() override;

    // True in the first instance. False in a later one, and on failure, when errorMessage() tells why.
    bool CheckFirstInstance();
    // Later instance only: asks the first one to come to the front, or to quit when `arguments`
    // (as QCoreApplication::arguments() gives them) hold the STOP switch. Never waits for an answer.
    void NotifyFirstInstance(const QStringList& arguments);
    // Handles one request line as the first instance receives it; false for anything not the guard's.
    bool GuardWindowProc(const QByteArray& request);
    // Gives back the socket and the lock; the destructor calls it.
    void ReleaseGuard();

    // The window that a restore request brings to the front. Also starts serving requests if the
    // application object did not exist yet when CheckFirstInstance ran.
    void attach(QWidget* mainWindow);

    // "System Error.  Code: <errno>.\r\n<text>" after a failed CheckFirstInstance, else empty.
    QString errorMessage() const { return m_errorMessage; }
    QString guardObjectName(GuardObject object) const;
    // The line a later instance sends for `message` (RestoreMessage or TerminateMessage).
    QByteArray requestLine(GuardObject message) const;
    QString lockFilePath() const;
    QString endpointPath() const;

signals:
    // After the attached window (if any) was brought to the front.
    void restoreRequested();
    // A later instance asked this one to quit. Without a receiver the application exits at once.
    void terminateRequested();

private:
    bool fail(int code);
    bool takeInstanceLock();
    bool publishEndpoint();
    void startServing();
    void acceptRequests();
    void readRequests(QLocalSocket* socket);
    bool sendRequest(const QByteArray& line) const;
    void bringWindowToFront();
    void terminate();

    QString m_names[4];
    QString m_placeDirectory;
    QString m_errorMessage;
    std::unique_ptr<QLockFile> m_lock;
    int m_listenDescriptor = -1;
    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_window;
};
