// An upgrade killed at any point, in real processes: the file must be left as it was or complete,
// never with a version row whose schema it does not have (every later start would then take it for
// up to date and never repair it).
#include "data/SqlConnection.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

#ifndef DB_PROBE_PATH
#error "DB_PROBE_PATH must name the probe program"
#endif

namespace {

struct FileState {
    int objects = 0;
    QVariant version;
    int serviceRows = 0;
    bool operator==(const FileState&) const = default;
};

void PrintTo(const FileState& s, std::ostream* os)
{
    *os << "{objects " << s.objects << ", version '" << s.version.toString().toStdString()
        << (s.version.isNull() ? "' (none)" : "'") << ", service rows " << s.serviceRows << "}";
}

// Read through a connection of its own, which also rolls back what a killed process left in its journal.
FileState stateOf(const QString& path)
{
    SqlConnection db;
    db.setDatabaseFile(path);
    return {db.scalar("select count(*) from sqlite_master").toInt(),
            db.scalar("select Info_name from info where id_info = 2"), db.scalar("select count(*) from DevRep").toInt()};
}

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

struct ProbeRun {
    bool crashed = false;
    int statements = -1;
    int outcome = -1;
};

ProbeRun runProbe(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(DB_PROBE_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    ProbeRun run;
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const auto number = [&](const char* key) {
        const QRegularExpressionMatch m = QRegularExpression(QLatin1String(key) + QStringLiteral(" (\\d+)")).match(out);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    run.statements = number("statements");
    run.outcome = number("outcome");
    return run;
}

constexpr int kUpgraded = 1; // SchemaUpgrade::Outcome::Upgraded

class UpgradeKillTest : public ::testing::Test {
protected:
    // A file the first upgrade has real work on: two crews and a service row to expand per crew.
    QString makeOriginal(const QString& name, const QString& storedVersion)
    {
        const QString path = TestDatabase::createEmptyDatabase(dir.path(), name);
        SqlConnection db;
        db.setDatabaseFile(path);
        db.execute("insert into Crew (Name_Crew) values ('Первая');");
        db.execute("insert into Crew (Name_Crew) values ('Вторая');");
        db.execute("insert into DevRep (IDevType, IRep, RT_Mon) values (1, 1, 2.15);");
        if (!storedVersion.isNull())
            db.execute("insert into info ( Id_info, Info_name ) values ( 2, '" + storedVersion + "' );");
        return path;
    }

    QString copyOf(const QString& original, const QString& name)
    {
        const QString path = dir.file(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(original, path));
        return path;
    }

    TempWorkDir dir;
};

TEST_F(UpgradeKillTest, AnUpgradeKilledAsAnyStatementIsAboutToRunOrDuringItsWarningLeavesTheFileAsItWas)
{
    // The first upgrade (no version row) is the one that used to leave a row behind; a changed
    // version shares the same transaction now.
    for (const QString& stored : {QString(), QStringLiteral("2.3")}) {
        SCOPED_TRACE(stored.isNull() ? "no version row" : "version 2.3");
        const QString original = makeOriginal(stored.isNull() ? "first.db" : "changed.db", stored);
        const FileState before = stateOf(original);
        const QByteArray bytesBefore = hashOf(original);

        const QString complete = copyOf(original, "complete.db");
        const ProbeRun full = runProbe({"upgrade", complete});
        ASSERT_FALSE(full.crashed);
        ASSERT_EQ(full.outcome, kUpgraded);
        ASSERT_GT(full.statements, 20);
        const FileState after = stateOf(complete);
        EXPECT_EQ(after.version.toString(), "2.4");
        EXPECT_GT(after.objects, before.objects);

        for (int n = 1; n <= full.statements; ++n) {
            const QString killed = copyOf(original, "killed.db");
            ASSERT_TRUE(runProbe({"upgrade", killed, "kill-at", QString::number(n)}).crashed) << n;
            EXPECT_EQ(stateOf(killed), before) << "killed as statement " << n << " of " << full.statements
                                               << " was about to run";
            EXPECT_EQ(hashOf(killed), bytesBefore) << n;
        }

        const QString killed = copyOf(original, "warning.db");
        ASSERT_TRUE(runProbe({"upgrade", killed, "kill-on-warning"}).crashed);
        EXPECT_EQ(stateOf(killed), before) << "killed while the warning was open";
    }
}

TEST_F(UpgradeKillTest, TheToolKilledAtAnyMomentLeavesTheFileAsItWasOrComplete)
{
    const QString original = makeOriginal("first.db", QString());
    const FileState before = stateOf(original);

    const auto runTool = [&](const QString& file, int killAfterMs) {
        QProcess tool;
        tool.setWorkingDirectory(dir.path());
        tool.start(QStringLiteral(INSTREL_INITDB_PATH), {"--upgrade", file});
        EXPECT_TRUE(tool.waitForStarted());
        if (killAfterMs >= 0) {
            QThread::msleep(killAfterMs);
            tool.kill();
        }
        EXPECT_TRUE(tool.waitForFinished(60000));
    };

    QElapsedTimer clock;
    clock.start();
    runTool(copyOf(original, "complete.db"), -1);
    const int duration = int(clock.elapsed());
    const FileState complete = stateOf(dir.file("complete.db"));
    ASSERT_EQ(complete.version.toString(), "2.4");

    // Moments spread over a whole run: start-up, the copy, the steps, the commit, the end.
    for (int i = 0; i <= 12; ++i) {
        const QString killed = copyOf(original, "killed.db");
        runTool(killed, duration * i / 12);
        const FileState state = stateOf(killed);
        EXPECT_TRUE(state == before || state == complete)
            << "killed after " << duration * i / 12 << " of " << duration << " ms: " << ::testing::PrintToString(state);
    }
}

} // namespace
