// Database files the program cannot use as they are: held by another program, read-only, damaged,
// not a database at all, and the temporary files of a database tool that was killed. The program
// and the tool must name the cause, change nothing, and never advise creating a file that exists.
// Locks and permissions are real: another process holds the lock, an unprivileged one meets the
// read-only file.
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"
#include "support/MessageRecorder.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "text/StrList.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

#ifndef DB_PROBE_PATH
#error "DB_PROBE_PATH must name the probe program"
#endif

namespace {

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// `prefix` runs the tool through another program (to drop privileges).
ToolRun initdb(const QStringList& arguments, const QString& workingDirectory, const QStringList& prefix = {})
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    QStringList command = prefix;
    command << QStringLiteral(INSTREL_INITDB_PATH) << arguments;
    process.start(command.takeFirst(), command);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Another program holding the file: an exclusive lock, or a write transaction not yet committed.
class LockHolder {
public:
    LockHolder(const QString& path, const char* how)
    {
        m_process.start(QStringLiteral(DB_PROBE_PATH), {"hold", path, QString::fromLatin1(how)});
        m_process.waitForReadyRead(10000);
        m_held = m_process.readAllStandardOutput().startsWith("held");
    }
    ~LockHolder()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    bool held() const { return m_held; }

private:
    QProcess m_process;
    bool m_held = false;
};

class DatabaseFilesTest : public ::testing::Test {
protected:
    QStringList filesIn(const QString& directory) const
    {
        return QDir(directory).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    TempWorkDir dir;
};

TEST_F(DatabaseFilesTest, AFileHeldByAnotherProgramIsInUseNotDamagedAndNothingIsAnnounced)
{
    const struct {
        const char* how;
        SchemaUpgrade::Outcome outcome;
    } cases[] = {
        // Readers are shut out: the file cannot even be opened.
        {"exclusive", SchemaUpgrade::Outcome::NotChecked},
        // Readers get in, so the version is read; the upgrade cannot take the write lock.
        {"write", SchemaUpgrade::Outcome::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        const QString path = TestDatabase::createEmptyDatabase(dir.path(), QStringLiteral("%1.db").arg(c.how));
        const QByteArray before = hashOf(path);
        {
            LockHolder holder(path, c.how);
            ASSERT_TRUE(holder.held());

            // The program's start-up.
            MessageRecorder messages;
            SqlConnection connection;
            connection.setDatabaseFile(path);
            EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), c.outcome);
            connection.close();
            ASSERT_EQ(messages.shown().size(), 1) << messages.texts().join('\n').toStdString();
            const MessageRecorder::Shown& shown = messages.shown().first();
            EXPECT_EQ(shown.kind, MessageService::Kind::Error);
            EXPECT_TRUE(shown.text.contains("используется другой программой")) << shown.text.toStdString();
            EXPECT_FALSE(shown.text.contains("поврежд")) << shown.text.toStdString();
            EXPECT_FALSE(shown.text.contains("instrel-initdb")) << shown.text.toStdString();

            // The tool.
            const ToolRun run = initdb({"--upgrade", path}, dir.path());
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_TRUE(run.err.contains("используется другой программой")) << run.err.toStdString();
            EXPECT_FALSE(run.err.contains("Предупреждение")) << "no upgrade announced: " << run.err.toStdString();
            EXPECT_FALSE(run.err.contains("instrel-initdb")) << run.err.toStdString();
        }
        EXPECT_EQ(hashOf(path), before);
        EXPECT_TRUE(QDir(dir.path()).entryList({"*.bak"}).isEmpty());
    }
}

// The tool as a user who may not write: under root, which writes anything, an unprivileged one.
QStringList unprivileged()
{
    if (::geteuid() != 0)
        return {};
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        return {QStringLiteral("<none>")};
    return {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
}

TEST_F(DatabaseFilesTest, AFileThatCannotBeWrittenIsRefusedWithItsCauseBeforeTheUpgradeIsAnnounced)
{
    const QStringList prefix = unprivileged();
    if (prefix == QStringList{QStringLiteral("<none>")})
        GTEST_SKIP() << "running as root without setpriv: no user to whom a file is read-only";
    const struct {
        const char* name;
        QFile::Permissions file;
        QFile::Permissions folder;
    } cases[] = {
        {"read-only file", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther,
         QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::WriteOther |
             QFile::ExeOther},
        {"read-only folder",
         QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther,
         QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther},
    };
    // The unprivileged user must reach the folder.
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ReadOther | QFile::ExeOther);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = dir.file(QString::fromLatin1(c.name).replace(' ', '-'));
        ASSERT_TRUE(QDir().mkdir(folder));
        const QString path = TestDatabase::createEmptyDatabase(folder);
        const QByteArray before = hashOf(path);
        QFile::setPermissions(path, c.file);
        QFile::setPermissions(folder, c.folder);

        const ToolRun run = initdb({"--upgrade", path}, folder, prefix);

        QFile::setPermissions(folder, QFile::permissions(folder) | QFile::WriteOwner);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains("только для чтения")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("не преобразована")) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("Предупреждение")) << "no upgrade announced: " << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("readonly")) << "said in the user's language: " << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("already exists")) << run.err.toStdString();
        EXPECT_EQ(hashOf(path), before);
        EXPECT_EQ(filesIn(folder), QStringList{"Device.db"}) << "no copy, no journal";
    }
}

// A file of the program's version that the user may only read: nothing to upgrade, so the program
// opens it, says at once that it only reads it, and a save is refused in words, not in the engine's.
TEST_F(DatabaseFilesTest, AReadOnlyFileAtThisVersionIsSaidToBeReadOnlyAndASaveIsRefusedInWords)
{
    const QStringList prefix = unprivileged();
    if (prefix == QStringList{QStringLiteral("<none>")})
        GTEST_SKIP() << "running as root without setpriv: no user to whom a file is read-only";
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ReadOther | QFile::ExeOther);
    const QString path = TestDatabase::createUpgradedEmptyDatabase(dir.path());
    {
        SqlConnection connection;
        connection.setDatabaseFile(path);
        connection.execute("insert into Crew ( ID_Crew, Name_Crew ) values ( 1, 'Бригада 1' );");
    }
    const QByteArray before = hashOf(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    QProcess probe;
    QStringList command = prefix;
    command << QStringLiteral(DB_PROBE_PATH) << "readonly" << path;
    probe.start(command.takeFirst(), command);
    ASSERT_TRUE(probe.waitForFinished(60000));
    const QString out = QString::fromUtf8(probe.readAllStandardOutput());

    EXPECT_TRUE(out.contains("reason В базу данных «" + path + "» нельзя записывать")) << out.toStdString();
    EXPECT_TRUE(out.contains("refused Ничего не сохранено. В базу данных")) << out.toStdString();
    EXPECT_FALSE(out.contains("readonly")) << "said in the user's language: " << out.toStdString();
    EXPECT_EQ(hashOf(path), before);
}

// Broken pages in a table the version check never reads: the file opens, its version reads, and
// only a check of every page shows the damage.
QString damagedDatabase(const QString& directory)
{
    const QString path = TestDatabase::createEmptyDatabase(directory);
    {
        SqlConnection db;
        db.setDatabaseFile(path);
        db.begin();
        db.execute("create table Notes ( Body varchar(600) null );");
        for (int i = 0; i < 200; ++i)
            db.execute(QStringLiteral("insert into Notes values ('%1');").arg(QString(500, QChar('a' + i % 26))));
        db.commit();
    }
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 pageSize = 4096;
    EXPECT_TRUE(file.seek(file.size() - 3 * pageSize));
    file.write(QByteArray(pageSize, '\x55'));
    return path;
}

TEST_F(DatabaseFilesTest, ADamagedFileIsNotUpgradedAndTheCopyIsKept)
{
    const QString path = damagedDatabase(dir.path());
    const QByteArray before = hashOf(path);

    MessageRecorder messages;
    SqlConnection connection;
    connection.setDatabaseFile(path);
    SchemaUpgrade upgrade(connection);
    EXPECT_EQ(upgrade.CheckSchemaVersion(), SchemaUpgrade::Outcome::Refused);
    connection.close();

    ASSERT_EQ(messages.shown().size(), 1) << messages.texts().join('\n').toStdString();
    const QString text = messages.shown().first().text;
    EXPECT_EQ(messages.shown().first().kind, MessageService::Kind::Error);
    EXPECT_TRUE(text.contains("повреждена")) << text.toStdString();
    EXPECT_TRUE(text.contains("не преобразована")) << text.toStdString();
    ASSERT_FALSE(upgrade.backupPath().isEmpty());
    EXPECT_TRUE(text.contains(upgrade.backupPath())) << text.toStdString();
    EXPECT_EQ(hashOf(upgrade.backupPath()), before);
    EXPECT_EQ(hashOf(path), before);

    const ToolRun run = initdb({"--upgrade", "Device.db"}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("повреждена")) << run.err.toStdString();
    EXPECT_EQ(hashOf(path), before);
}

TEST_F(DatabaseFilesTest, AFileThatIsNotADatabaseIsNeverMetWithAdviceToCreateIt)
{
    const QString valid = TestDatabase::createEmptyDatabase(dir.path(), "valid.db");
    QFile source(valid);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray whole = source.readAll();
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"zero-length", QByteArray()},
        {"text", QByteArray("this is a text file, not a database\n")},
        {"truncated", whole.left(whole.size() / 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QStringLiteral("%1.db").arg(c.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();

        MessageRecorder messages;
        SqlConnection connection;
        connection.setDatabaseFile(path);
        EXPECT_NE(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);
        connection.close();
        ASSERT_FALSE(messages.shown().isEmpty());
        const QString text = messages.texts().join('\n');
        EXPECT_TRUE(text.contains("поврежд")) << text.toStdString();
        EXPECT_FALSE(text.contains("Создайте")) << text.toStdString();
        EXPECT_FALSE(text.contains("Текущая версия")) << "no upgrade announced: " << text.toStdString();
        QFile check(path);
        ASSERT_TRUE(check.open(QIODevice::ReadOnly));
        EXPECT_EQ(check.readAll(), c.content);
    }
}

// Waits until `predicate` holds (a process of its own is working meanwhile); false after a minute.
template <typename Predicate> bool waitFor(Predicate predicate)
{
    QElapsedTimer clock;
    clock.start();
    while (!predicate()) {
        if (clock.elapsed() > 60000)
            return false;
        QThread::msleep(20);
    }
    return true;
}

TEST_F(DatabaseFilesTest, TheWorkingFilesOfAKilledToolAreRemovedByItsNextRunButNotThoseOfALiveOne)
{
    // The working database itself, not SQLite's journal beside it.
    const auto workingFiles = [&] {
        QStringList files = QDir(dir.path()).entryList({"Big.db.tmp-*"}, QDir::Files, QDir::Name);
        files.removeIf([](const QString& name) { return name.endsWith("-journal") || name.endsWith("-wal") || name.endsWith("-shm"); });
        return files;
    };
    const auto startBig = [&](QProcess& tool) {
        tool.setWorkingDirectory(dir.path());
        tool.start(QStringLiteral(INSTREL_INITDB_PATH), {"--big", "Big.db"});
        ASSERT_TRUE(tool.waitForStarted());
    };

    // Killed well into its work, with megabytes written.
    QProcess first;
    startBig(first);
    ASSERT_TRUE(waitFor([&] {
        const QStringList files = workingFiles();
        return !files.isEmpty() && QFileInfo(dir.file(files.first())).size() > 1000000;
    }));
    first.kill();
    first.waitForFinished();
    const QStringList left = workingFiles();
    ASSERT_FALSE(left.isEmpty());

    // The next run of the same name removes what the killed one left and works under a name of its own.
    QProcess second;
    startBig(second);
    ASSERT_TRUE(waitFor([&] {
        const QStringList files = workingFiles();
        return files.size() == 1 && !left.contains(files.first());
    })) << workingFiles().join(' ').toStdString();
    const QString live = workingFiles().first();
    // Held still, so that it is alive (and holds its lock) for as long as the test needs, however
    // fast it would otherwise finish.
    ASSERT_EQ(::kill(pid_t(second.processId()), SIGSTOP), 0);

    // Another run meanwhile leaves the live run's file alone.
    const ToolRun empty = initdb({"--empty", "Big.db"}, dir.path());
    EXPECT_EQ(empty.exitCode, 0) << empty.err.toStdString();
    EXPECT_TRUE(workingFiles().contains(live));

    second.kill();
    second.waitForFinished();
    const ToolRun after = initdb({"--empty", "Big.db"}, dir.path());
    EXPECT_EQ(after.exitCode, 1) << "Big.db exists by now";
    EXPECT_TRUE(after.out.contains(live)) << after.out.toStdString();
    EXPECT_EQ(filesIn(dir.path()), QStringList{"Big.db"});
}

// Two programs saving on one file meet each other's write lock all the time. A save must wait for
// the other's transaction (up to the busy timeout of five seconds) rather than fail at once, and
// every save that reports success must be in the file.
TEST_F(DatabaseFilesTest, TwoProgramsSavingOnOneFileWaitForEachOtherAndLoseNothing)
{
    const QString path = TestDatabase::createUpgradedEmptyDatabase(dir.path());
    {
        SqlConnection connection;
        connection.setDatabaseFile(path);
        connection.execute("insert into Crew ( ID_Crew, Name_Crew ) values ( 1, '0' );");
        connection.execute("insert into Crew ( ID_Crew, Name_Crew ) values ( 2, '0' );");
    }
    const int times = 300;
    QProcess writers[2];
    for (int w = 0; w < 2; ++w)
        writers[w].start(QStringLiteral(DB_PROBE_PATH),
                         {"save", path, QString::number(w + 1), QString::number(times)});
    for (QProcess& writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(180000));
        const QString out = QString::fromUtf8(writer.readAllStandardOutput());
        QStringList failures;
        for (const QString& line : out.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("failed ")) && line.section(QLatin1Char(' '), 1, 1).toInt() < 5000)
                failures.append(line);
        EXPECT_TRUE(failures.isEmpty()) << failures.size() << " saves failed before the timeout, the first: "
                                        << failures.value(0).toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("saved %1").arg(times))) << out.right(300).toStdString();
    }
    SqlConnection connection;
    connection.setDatabaseFile(path);
    for (int key : {1, 2})
        EXPECT_EQ(connection.scalar(QStringLiteral("select Name_Crew from Crew where ID_Crew = %1;").arg(key)).toString(),
                  QString::number(times));
}

} // namespace
