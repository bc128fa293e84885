#include "app/InstanceGuard.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMetaMethod>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// How long a later instance keeps trying to reach a first instance that holds the lock but has not
// bound its socket yet (it does so right after taking the lock). Bounded, so that a later start
// always ends even when the first instance hangs.
constexpr int HandOverTimeoutMs = 2000;
constexpr int RetryPauseMs = 25;
constexpr int ConnectTimeoutMs = 500;
constexpr int WriteTimeoutMs = 1000;
// A request is one short line; anything longer without a line end is not ours.
constexpr qint64 MaxRequestLength = 256;

QString defaultPlaceDirectory()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime;
    return QDir::tempPath() + QStringLiteral("/instrel-") + QString::number(::getuid());
}

// Object names may hold any character and be 260 long; file names in the place directory must be
// short (a unix socket path has about 100 bytes) and plain, so they are a digest of the name.
QString digest(const QString& name)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256).toHex().left(32));
}

// Creates the directory if needed (one level, private to the user) and checks that it is the
// user's own directory; returns 0 or an errno code.
int preparePlaceDirectory(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat status {};
    if (::stat(encoded.constData(), &status) != 0)
        return errno;
    if (!S_ISDIR(status.st_mode))
        return ENOTDIR;
    // Another user's directory of the same name (in a shared temporary directory) must not be used.
    if (status.st_uid != ::getuid())
        return EPERM;
    return 0;
}

// A listening unix socket bound at `path`, or -1 with `error` set.
int bindListeningSocket(const QString& path, int& error)
{
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (encoded.size() >= qsizetype(sizeof address.sun_path)) {
        error = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, encoded.constData(), encoded.size());
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        error = errno;
        return -1;
    }
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
        ::close(descriptor);
        return -1;
    }
    if (::listen(descriptor, SOMAXCONN) != 0) {
        error = errno;
        ::close(descriptor);
        ::unlink(encoded.constData());
        return -1;
    }
    return descriptor;
}
} // namespace

QString InstanceGuard::BuildObjectName(const QString& prefix, const QString& executable)
{
    const QString name = prefix + QFileInfo(executable).fileName();
    return name.size() > MaxObjectNameLength ? name.right(MaxObjectNameLength) : name;
}

QString InstanceGuard::ObjectPrefix(GuardObject object)
{
    switch (object) {
    case RestoreMessage:
        return QStringLiteral("8E43A11714D84D7D99A095BF3CF758BE");
    case TerminateMessage:
        return QStringLiteral("F326903B6ED643DEA79D9F5BFEC2D8EB");
    case InstanceMutex:
        return QStringLiteral("0B18B76E492943FE97072DF38ED73BDA");
    case HandleMapping:
        return QStringLiteral("8789854C059D4E0B86A76907CA2E3086");
    }
    return {};
}

bool InstanceGuard::StopRequested(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool isSwitch = argument.startsWith(u'/') || argument.startsWith(u'-');
        if (isSwitch && QStringView(argument).mid(1).compare(u"STOP", Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

InstanceGuard::InstanceGuard(const QString& executablePath, const QString& placeDirectory, QObject* parent)
    : QObject(parent), m_placeDirectory(placeDirectory.isEmpty() ? defaultPlaceDirectory() : placeDirectory)
{
    for (GuardObject object : {RestoreMessage, TerminateMessage, InstanceMutex, HandleMapping})
        m_names[object] = BuildObjectName(ObjectPrefix(object), executablePath);
}

InstanceGuard::~InstanceGuard() { ReleaseGuard(); }

QString InstanceGuard::guardObjectName(GuardObject object) const { return m_names[object]; }

QByteArray InstanceGuard::requestLine(GuardObject message) const
{
    return digest(m_names[message]).toLatin1() + '\n';
}

QString InstanceGuard::lockFilePath() const
{
    return m_placeDirectory + QStringLiteral("/instrel-") + digest(m_names[InstanceMutex]) + QStringLiteral(".lock");
}

QString InstanceGuard::endpointPath() const
{
    return m_placeDirectory + QStringLiteral("/instrel-") + digest(m_names[HandleMapping]) + QStringLiteral(".sock");
}

bool InstanceGuard::CheckFirstInstance()
{
    if (m_lock)
        return m_lock->isLocked();
    if (const int code = preparePlaceDirectory(m_placeDirectory))
        return fail(code);
    if (!takeInstanceLock())
        return false;
    if (!publishEndpoint()) {
        m_lock->unlock();
        return false;
    }
    if (QCoreApplication::instance())
        startServing();
    return true;
}

bool InstanceGuard::takeInstanceLock()
{
    m_lock = std::make_unique<QLockFile>(lockFilePath());
    // The lock is held for the whole run: only a holder that no longer runs makes it stale, never age.
    m_lock->setStaleLockTime(0);
    errno = 0;
    if (m_lock->tryLock(0))
        return true;
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        return false; // a running first instance holds it
    case QLockFile::PermissionError:
        return fail(EACCES);
    default:
        return fail(errno != 0 ? errno : EIO);
    }
}

bool InstanceGuard::publishEndpoint()
{
    // A first instance that was killed leaves its socket file behind; the lock says it is ours now.
    QLocalServer::removeServer(endpointPath());
    int error = 0;
    m_listenDescriptor = bindListeningSocket(endpointPath(), error);
    return m_listenDescriptor >= 0 || fail(error);
}

bool InstanceGuard::fail(int code)
{
    m_errorMessage = QStringLiteral("System Error.  Code: %1.\r\n%2").arg(code).arg(qt_error_string(code));
    return false;
}

void InstanceGuard::attach(QWidget* mainWindow)
{
    m_window = mainWindow;
    startServing();
}

// The socket was bound before an event loop could watch it; requests that came meanwhile wait in
// its backlog and are read as soon as the loop runs.
void InstanceGuard::startServing()
{
    if (m_server || m_listenDescriptor < 0 || !QCoreApplication::instance())
        return;
    m_server = new QLocalServer(this);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceGuard::acceptRequests);
    m_server->listen(m_listenDescriptor); // the server owns the descriptor and removes the file on close
    m_listenDescriptor = -1;
}

void InstanceGuard::acceptRequests()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequests(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readRequests(socket);
    }
}

void InstanceGuard::readRequests(QLocalSocket* socket)
{
    while (socket->canReadLine())
        GuardWindowProc(socket->readLine());
    if (socket->bytesAvailable() > MaxRequestLength)
        socket->abort();
}

bool InstanceGuard::GuardWindowProc(const QByteArray& request)
{
    const QByteArray line = request.trimmed() + '\n';
    if (line == requestLine(RestoreMessage)) {
        bringWindowToFront();
        emit restoreRequested();
        return true;
    }
    if (line == requestLine(TerminateMessage)) {
        terminate();
        return true;
    }
    return false;
}

// Restoring keeps a maximised window maximised; only the minimised flag goes.
void InstanceGuard::bringWindowToFront()
{
    QWidget* window = m_window;
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

// A plain end of the event loop: no window is asked whether it may close, unless the program chose
// to handle the request itself (for instance to let its main window store its settings).
void InstanceGuard::terminate()
{
    emit terminateRequested();
    if (!isSignalConnected(QMetaMethod::fromSignal(&InstanceGuard::terminateRequested)))
        QCoreApplication::exit(0);
}

void InstanceGuard::NotifyFirstInstance(const QStringList& arguments)
{
    if (!m_errorMessage.isEmpty() || (m_lock && m_lock->isLocked()))
        return;
    const QByteArray line = requestLine(StopRequested(arguments) ? TerminateMessage : RestoreMessage);
    QDeadlineTimer deadline(HandOverTimeoutMs);
    // The lock file vanishing means the first instance has ended: nobody is left to ask.
    while (!sendRequest(line) && !deadline.hasExpired() && QFileInfo::exists(lockFilePath()))
        QThread::msleep(RetryPauseMs);
}

bool InstanceGuard::sendRequest(const QByteArray& line) const
{
    QLocalSocket socket;
    socket.connectToServer(endpointPath(), QIODevice::WriteOnly);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    socket.write(line);
    socket.flush();
    const bool written = socket.bytesToWrite() == 0 || socket.waitForBytesWritten(WriteTimeoutMs);
    socket.disconnectFromServer();
    return written;
}

// The socket goes before the lock: once the lock is free a new first instance may bind the same path,
// and closing our server afterwards would delete its socket file.
void InstanceGuard::ReleaseGuard()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_listenDescriptor >= 0) {
        ::close(m_listenDescriptor);
        m_listenDescriptor = -1;
        QFile::remove(endpointPath());
    }
    m_lock.reset(); // unlocks when this instance holds it
}
