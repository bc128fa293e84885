// The single-instance guard: its naming and switch rules directly, and its behaviour between real
// processes of a small probe program (tests/app/guard_probe.cpp). Every probe of a test shares a
// private runtime directory, so the tests neither see nor disturb a running program.
#include "app/InstanceGuard.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {
const QString RestorePrefix = QStringLiteral("8E43A11714D84D7D99A095BF3CF758BE");
const QString TerminatePrefix = QStringLiteral("F326903B6ED643DEA79D9F5BFEC2D8EB");
const QString MutexPrefix = QStringLiteral("0B18B76E492943FE97072DF38ED73BDA");
const QString MappingPrefix = QStringLiteral("8789854C059D4E0B86A76907CA2E3086");

constexpr int LineTimeoutMs = 5000;
// What a later instance may take at most: its hand-over wait is bounded at 2 s, the rest is start-up.
constexpr int LaterExitTimeoutMs = 4000;

// ---------------------------------------------------------------------------------------------
// Object names

struct NameCase {
    const char* what;
    QString executable;
    QString expected;
};

QString repeated(char c, int count) { return QString(count, QLatin1Char(c)); }

TEST(InstanceGuardNames, BuildObjectNameKeepsTheEndOfLongNames)
{
    const QString p = RestorePrefix;
    const NameCase cases[] = {
        {"short name", QStringLiteral("instrel"), p + QStringLiteral("instrel")},
        {"directory dropped", QStringLiteral("/opt/tools/Instrel.EXE"), p + QStringLiteral("Instrel.EXE")},
        {"relative directory dropped", QStringLiteral("bin/instrel"), p + QStringLiteral("instrel")},
        {"exactly 260 kept whole", repeated('a', 228), p + repeated('a', 228)},
        {"261 loses the first prefix digit", repeated('b', 229), p.mid(1) + repeated('b', 229)},
        {"longest Linux file name", QStringLiteral("/x/") + repeated('c', 255), p.right(5) + repeated('c', 255)},
    };
    for (const NameCase& c : cases) {
        const QString name = InstanceGuard::BuildObjectName(p, c.executable);
        EXPECT_EQ(name, c.expected) << c.what;
        EXPECT_LE(name.size(), 260) << c.what;
    }
}

TEST(InstanceGuardNames, FourObjectsUseTheirFixedPrefixes)
{
    InstanceGuard guard(QStringLiteral("/usr/bin/instrel"));
    EXPECT_EQ(guard.guardObjectName(InstanceGuard::RestoreMessage), RestorePrefix + "instrel");
    EXPECT_EQ(guard.guardObjectName(InstanceGuard::TerminateMessage), TerminatePrefix + "instrel");
    EXPECT_EQ(guard.guardObjectName(InstanceGuard::InstanceMutex), MutexPrefix + "instrel");
    EXPECT_EQ(guard.guardObjectName(InstanceGuard::HandleMapping), MappingPrefix + "instrel");
}

TEST(InstanceGuardNames, PlacesDependOnTheFileNameOnlyAndFitASocketPath)
{
    const QString place = QStringLiteral("/run/user/1000");
    InstanceGuard here(QStringLiteral("/a/instrel"), place);
    InstanceGuard there(QStringLiteral("/b/c/instrel"), place);
    InstanceGuard other(QStringLiteral("/a/instrel2"), place);
    InstanceGuard longName(QStringLiteral("/a/") + repeated('n', 255), place);
    EXPECT_EQ(here.lockFilePath(), there.lockFilePath());
    EXPECT_EQ(here.endpointPath(), there.endpointPath());
    EXPECT_NE(here.lockFilePath(), other.lockFilePath());
    EXPECT_NE(here.endpointPath(), other.endpointPath());
    EXPECT_LT(QFile::encodeName(longName.endpointPath()).size(), 100);
}

// ---------------------------------------------------------------------------------------------
// The STOP switch

TEST(InstanceGuardSwitch, StopIsASlashOrHyphenSwitchInAnyCase)
{
    const struct {
        QStringList arguments;
        bool stop;
    } cases[] = {
        {{"instrel", "/STOP"}, true},
        {{"instrel", "-stop"}, true},
        {{"instrel", "-Stop"}, true},
        {{"instrel", "/sToP"}, true},
        {{"instrel", "file.txt", "-STOP"}, true},
        {{"instrel"}, false},
        {{"instrel", "STOP"}, false},
        {{"instrel", "--stop"}, false},
        {{"instrel", "/STOPP"}, false},
        {{"instrel", "-STO"}, false},
        {{"instrel", "\\STOP"}, false},
        {{"/STOP"}, false}, // the program's own path is not a switch
    };
    for (const auto& c : cases)
        EXPECT_EQ(InstanceGuard::StopRequested(c.arguments), c.stop) << qPrintable(c.arguments.join(' '));
}

// ---------------------------------------------------------------------------------------------
// Requests and failures inside one process

TEST(InstanceGuardRequests, OnlyThisProgramsTwoRequestsAreHandled)
{
    InstanceGuard guard(QStringLiteral("/opt/instrel"), QDir::tempPath());
    InstanceGuard other(QStringLiteral("/opt/instrel-other"), QDir::tempPath());
    int restores = 0;
    int terminates = 0;
    QObject::connect(&guard, &InstanceGuard::restoreRequested, [&] { ++restores; });
    QObject::connect(&guard, &InstanceGuard::terminateRequested, [&] { ++terminates; });

    EXPECT_FALSE(guard.GuardWindowProc(other.requestLine(InstanceGuard::RestoreMessage)));
    EXPECT_FALSE(guard.GuardWindowProc(other.requestLine(InstanceGuard::TerminateMessage)));
    EXPECT_FALSE(guard.GuardWindowProc(QByteArray()));
    EXPECT_FALSE(guard.GuardWindowProc("STOP\n"));
    EXPECT_FALSE(guard.GuardWindowProc(guard.guardObjectName(InstanceGuard::RestoreMessage).toUtf8()));
    EXPECT_EQ(restores + terminates, 0);

    EXPECT_TRUE(guard.GuardWindowProc(guard.requestLine(InstanceGuard::RestoreMessage)));
    EXPECT_TRUE(guard.GuardWindowProc(guard.requestLine(InstanceGuard::TerminateMessage)));
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(terminates, 1);
}

TEST(InstanceGuardFailure, UnusablePlaceIsReportedAsSystemErrorAndLeavesNothing)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    QFile plainFile(temp.filePath(QStringLiteral("file")));
    ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
    plainFile.close();
    const QString tooLong = temp.filePath(repeated('d', 100));

    const struct {
        const char* what;
        QString place;
        QString message;
    } cases[] = {
        {"place under a file", plainFile.fileName() + QStringLiteral("/guard"),
         QStringLiteral("System Error.  Code: 20.\r\nNot a directory")},
        {"socket path too long", tooLong, QStringLiteral("System Error.  Code: 36.\r\nFile name too long")},
    };
    for (const auto& c : cases) {
        for (int attempt = 1; attempt <= 2; ++attempt) { // the second attempt sees no leftover lock
            InstanceGuard guard(QStringLiteral("/opt/instrel"), c.place);
            EXPECT_FALSE(guard.CheckFirstInstance()) << c.what;
            EXPECT_EQ(guard.errorMessage(), c.message) << c.what << " attempt " << attempt;
            EXPECT_FALSE(QFileInfo::exists(guard.lockFilePath())) << c.what;
            EXPECT_FALSE(QFileInfo::exists(guard.endpointPath())) << c.what;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Real processes

// One started probe; collects its stdout lines. A probe still running at the end is killed.
class Probe {
public:
    Probe(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
    {
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Probe()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    bool waitForLine(const QString& line, int count = 1, int timeoutMs = LineTimeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (lines().count(line) < count) {
            const int left = timeoutMs - int(timer.elapsed());
            if (left <= 0 || !m_process.waitForReadyRead(left))
                return lines().count(line) >= count;
        }
        return true;
    }
    bool waitForExit(int timeoutMs = LaterExitTimeoutMs)
    {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    }
    // Still running after `ms`, its output read meanwhile.
    bool staysRunning(int ms)
    {
        m_process.waitForFinished(ms);
        return m_process.state() == QProcess::Running;
    }
    QStringList lines()
    {
        m_output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
        return m_output.split(u'\n', Qt::SkipEmptyParts);
    }
    int exitCode() const { return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1; }
    void killHard()
    {
        m_process.kill(); // SIGKILL: the guard gets no chance to clean up
        m_process.waitForFinished(LineTimeoutMs);
    }

private:
    QProcess m_process;
    QString m_output;
};

class InstanceGuardProcesses : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_runtime.isValid());
        ASSERT_TRUE(m_programs.isValid());
        ASSERT_TRUE(QFileInfo(QStringLiteral(GUARD_PROBE_PATH)).isExecutable());
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_environment.insert(QStringLiteral("GUARD_PROBE_LIFETIME_MS"), QStringLiteral("20000"));
    }

    // A copy of the probe at <programs>/<directory>/<fileName>.
    QString program(const QString& directory, const QString& fileName)
    {
        const QString dir = m_programs.filePath(directory);
        const QString path = dir + u'/' + fileName;
        if (!QFileInfo::exists(path)) {
            EXPECT_TRUE(QDir().mkpath(dir));
            EXPECT_TRUE(QFile::copy(QStringLiteral(GUARD_PROBE_PATH), path)) << qPrintable(path);
        }
        return path;
    }
    QString instrelIn(const QString& directory) { return program(directory, QStringLiteral("instrel")); }

    std::unique_ptr<Probe> start(const QString& program, const QStringList& arguments = {},
                                 const QString& windowState = {})
    {
        QProcessEnvironment environment = m_environment;
        environment.insert(QStringLiteral("GUARD_PROBE_STATE"), windowState);
        return std::make_unique<Probe>(program, arguments, environment);
    }
    std::unique_ptr<Probe> startFirst(const QString& program, const QStringList& arguments = {},
                                      const QString& windowState = {})
    {
        auto probe = start(program, arguments, windowState);
        EXPECT_TRUE(probe->waitForLine(QStringLiteral("FIRST"))) << qPrintable(probe->lines().join(' '));
        return probe;
    }
    // Starts a later instance and checks that it ends at once and well, having decided it is later.
    void runLater(const QString& program, const QStringList& arguments = {})
    {
        QElapsedTimer timer;
        timer.start();
        Probe later(program, arguments, m_environment);
        ASSERT_TRUE(later.waitForExit()) << "a later instance must not keep running";
        EXPECT_EQ(later.lines(), QStringList{QStringLiteral("LATER")});
        EXPECT_EQ(later.exitCode(), 0);
        EXPECT_LT(timer.elapsed(), LaterExitTimeoutMs);
    }
    QStringList guardFiles() const
    {
        return QDir(m_runtime.path()).entryList({QStringLiteral("instrel-*")}, QDir::Files | QDir::System);
    }
    QString runtimePath() const { return m_runtime.path(); }

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_programs;
    QProcessEnvironment m_environment;
};

TEST_F(InstanceGuardProcesses, FirstStartRunsWithOrWithoutStop)
{
    for (const QStringList& arguments : {QStringList{}, QStringList{"/STOP"}, QStringList{"-stop"}}) {
        const QString what = arguments.join(' ');
        auto first = startFirst(instrelIn("a"), arguments);
        EXPECT_TRUE(first->staysRunning(300)) << qPrintable(what);
        runLater(instrelIn("a"));
        EXPECT_TRUE(first->waitForLine(QStringLiteral("RESTORED normal"))) << qPrintable(what);
        EXPECT_FALSE(first->lines().contains(QStringLiteral("TERMINATED"))) << qPrintable(what);
    }
}

TEST_F(InstanceGuardProcesses, LaterStartRestoresTheFirstWindow)
{
    const struct {
        QString shownAs;
        QString restoredAs;
    } cases[] = {
        {QStringLiteral("minimized"), QStringLiteral("RESTORED normal")},
        {QStringLiteral("maximized-minimized"), QStringLiteral("RESTORED maximized")},
        {QStringLiteral("maximized"), QStringLiteral("RESTORED maximized")},
    };
    for (const auto& c : cases) {
        auto first = startFirst(instrelIn("a"), {}, c.shownAs);
        runLater(instrelIn("a"));
        EXPECT_TRUE(first->waitForLine(c.restoredAs)) << qPrintable(first->lines().join(" | "));
        runLater(instrelIn("a")); // any number of times
        EXPECT_TRUE(first->waitForLine(c.restoredAs, 2)) << qPrintable(first->lines().join(" | "));
        EXPECT_TRUE(first->staysRunning(100));
    }
}

TEST_F(InstanceGuardProcesses, StopSwitchMakesTheFirstQuitAndFreesItsPlace)
{
    for (const QString& stop : {QStringLiteral("/STOP"), QStringLiteral("-stop"), QStringLiteral("-Stop")}) {
        auto first = startFirst(instrelIn("a"));
        runLater(instrelIn("a"), {stop});
        EXPECT_TRUE(first->waitForLine(QStringLiteral("TERMINATED"))) << qPrintable(stop);
        ASSERT_TRUE(first->waitForExit(LineTimeoutMs)) << qPrintable(stop);
        EXPECT_EQ(first->exitCode(), 0);
        EXPECT_EQ(first->lines(), QStringList{QStringLiteral("FIRST")} << QStringLiteral("TERMINATED"));
        EXPECT_EQ(guardFiles(), QStringList{}) << qPrintable(stop);
    }
}

TEST_F(InstanceGuardProcesses, SameFileNameInAnotherDirectoryIsTheSameProgram)
{
    auto first = startFirst(instrelIn("a"));
    runLater(instrelIn("b"));
    EXPECT_TRUE(first->waitForLine(QStringLiteral("RESTORED normal")));
    runLater(instrelIn("b/deeper"), {QStringLiteral("-STOP")});
    EXPECT_TRUE(first->waitForLine(QStringLiteral("TERMINATED")));
    EXPECT_TRUE(first->waitForExit());
}

TEST_F(InstanceGuardProcesses, AnotherFileNameIsAnIndependentProgram)
{
    auto instrel = startFirst(instrelIn("a"));
    auto other = startFirst(program("a", QStringLiteral("instrel2")));
    auto third = startFirst(program("b", QStringLiteral("Instrel"))); // letter case makes another name

    runLater(program("c", QStringLiteral("instrel2")), {QStringLiteral("/STOP")});
    EXPECT_TRUE(other->waitForLine(QStringLiteral("TERMINATED")));
    EXPECT_TRUE(other->waitForExit());

    runLater(instrelIn("c"));
    EXPECT_TRUE(instrel->waitForLine(QStringLiteral("RESTORED normal")));
    EXPECT_TRUE(third->staysRunning(200));
    EXPECT_EQ(third->lines(), QStringList{QStringLiteral("FIRST")});
    EXPECT_TRUE(instrel->staysRunning(0));
}

TEST_F(InstanceGuardProcesses, LongFileNameStillGuards)
{
    const QString name = repeated('x', 240); // joined with a prefix it passes 260 characters
    auto first = startFirst(program("a", name));
    runLater(program("b", name));
    EXPECT_TRUE(first->waitForLine(QStringLiteral("RESTORED normal")));
    runLater(program("c", name), {QStringLiteral("/stop")});
    EXPECT_TRUE(first->waitForLine(QStringLiteral("TERMINATED")));
}

TEST_F(InstanceGuardProcesses, KilledFirstInstanceDoesNotBlockTheNextStart)
{
    auto killed = startFirst(instrelIn("a"));
    killed->killHard();
    EXPECT_EQ(guardFiles().size(), 2) << "the killed instance leaves its lock and socket behind";

    auto next = startFirst(instrelIn("a"));
    runLater(instrelIn("a"));
    EXPECT_TRUE(next->waitForLine(QStringLiteral("RESTORED normal")));
}

TEST_F(InstanceGuardProcesses, FirstInstanceKeepsItsLockHowLongItRuns)
{
    auto first = startFirst(instrelIn("a"));
    const InstanceGuard names(instrelIn("a"), runtimePath());
    QFile lockFile(names.lockFilePath());
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
    lockFile.close();

    runLater(instrelIn("a"));
    EXPECT_TRUE(first->waitForLine(QStringLiteral("RESTORED normal")));
}

TEST_F(InstanceGuardProcesses, LaterStartsAtTheSameTimeAreAllServed)
{
    auto first = startFirst(instrelIn("a"));
    std::vector<std::unique_ptr<Probe>> later;
    for (int i = 0; i < 4; ++i)
        later.push_back(start(instrelIn("a")));
    for (auto& probe : later) {
        ASSERT_TRUE(probe->waitForExit());
        EXPECT_EQ(probe->lines(), QStringList{QStringLiteral("LATER")});
    }
    EXPECT_TRUE(first->waitForLine(QStringLiteral("RESTORED normal"), 4));
}

TEST_F(InstanceGuardProcesses, LaterStartEndsWhenTheFirstDoesNotAnswer)
{
    // A live process (this test) holds the lock but publishes no endpoint.
    const InstanceGuard names(instrelIn("a"), runtimePath());
    QLockFile lock(names.lockFilePath());
    lock.setStaleLockTime(0);
    ASSERT_TRUE(lock.tryLock(0));
    runLater(instrelIn("a"));
    runLater(instrelIn("a"), {QStringLiteral("/STOP")});
}
} // namespace
