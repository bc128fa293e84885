// The version check and the upgrade on real database files: which statements run in which order,
// what the user is told, what the file holds afterwards, and what a failure leaves behind.
#include "data/Clock.h"
#include "data/DatabaseError.h"
#include "data/MessageService.h"
#include "data/ResultSet.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "support/EngineDatabase.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "text/StrList.h"
#include "support/QtPrinters.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QStringList kUpgradeTables = {
    "Dimention",   "Document",      "EditHist",     "Victim",      "MovHist",  "RepHist",  "Refusal",
    "RefusalGroupNaimen", "RefusalNaimen", "RefusalParam", "RefusParamValue", "RepCath", "DevTypeCount",
    "CrewList",    "DayFund",       "LostDayMiscPC", "LostDayUsed", "WorkDayLenth", "NormState", "Complect",
};

// Statements sent to the engine and messages shown, in one sequence, so that tests can see what
// happened before what.
class Trace final : public MessageService {
public:
    explicit Trace(SqlConnection& connection)
    {
        m_previous = MessageService::install(this);
        QObject::connect(&connection, &SqlConnection::willExecute, &connection,
                         [this](const QStringList& lines) { events.append(QStringLiteral("SQL ") + lines.first()); });
    }
    ~Trace() override { MessageService::install(m_previous); }

    void show(Kind kind, const QString& text, const QString&) override
    {
        const char* prefix = kind == Kind::Warning ? "WARNING " : kind == Kind::Error ? "ERROR " : "INFO ";
        events.append(QString::fromLatin1(prefix) + text);
        messages.append({kind, text});
    }
    bool askYesNo(Kind kind, const QString& text, const QString& title) override
    {
        show(kind, text, title);
        return false;
    }

    QStringList statements() const
    {
        QStringList result;
        for (const QString& e : events)
            if (e.startsWith(QLatin1String("SQL ")))
                result.append(e.mid(4));
        return result;
    }
    int indexOf(const QString& event) const { return int(events.indexOf(event)); }

    QStringList events;
    QList<QPair<Kind, QString>> messages;

private:
    MessageService* m_previous = nullptr;
};

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

using Content = EngineDatabase::Content;

// On each engine: a file beside which the copy is made, or a server database dumped into the
// current folder.
class SchemaUpgradeTest : public OnBothEngines {
protected:
    void SetUp() override
    {
        OnBothEngines::SetUp();
        if (setUpStopped())
            return;
        Clock::fix(QDateTime(QDate(2025, 3, 10), QTime(14, 5, 0)));
        m_language = languageIndex();
        setLanguageIndex(1);
    }
    void TearDown() override
    {
        setLanguageIndex(m_language);
        Clock::fix({});
    }

    // A database of the test's own on its engine; `name` tells files apart.
    const EngineDatabase& make(Content content, const QString& name = QStringLiteral("Device.db"))
    {
        m_databases.push_back(makeDatabase(content, dir.path(), name));
        EXPECT_TRUE(m_databases.back()->ok());
        return *m_databases.back();
    }

    // A second connection, as another program would open the database.
    static QVariant scalar(const EngineDatabase& db, const QString& statement)
    {
        SqlConnection c;
        db.connect(c);
        return c.scalar(statement);
    }
    static void execute(const EngineDatabase& db, const QString& statement)
    {
        SqlConnection c;
        db.connect(c);
        c.execute(statement);
    }
    static bool hasTable(const EngineDatabase& db, const QString& name)
    {
        SqlConnection c;
        db.connect(c);
        return EngineCatalogue::hasTable(c, name);
    }
    static bool hasColumn(const EngineDatabase& db, const QString& table, const QString& column)
    {
        SqlConnection c;
        db.connect(c);
        return EngineCatalogue::hasColumn(c, table, column);
    }
    static QVariant storedVersion(const EngineDatabase& db)
    {
        return scalar(db, QStringLiteral("select Info_name from info where id_info = 2;"));
    }
    // What the database holds before the upgrade, to compare its copy with.
    QByteArray contentsBefore(const EngineDatabase& db) const
    {
        return onServer() ? QByteArray() : fileHash(db.location());
    }
    // The copy made at the fixed clock's moment: beside the file, or a dump in the current folder.
    QString copyOf(const EngineDatabase& db, const QString& suffix = QString()) const
    {
        const QString stamp = QStringLiteral(".2025-03-10_140500") + suffix;
        return onServer() ? QDir(dir.path()).absoluteFilePath(db.serverDatabaseName() + stamp + QStringLiteral(".sql"))
                          : db.location() + stamp + QStringLiteral(".bak");
    }
    // The copy holds the database as it was before anything changed: the same file, or a dump of
    // the tables without any the upgrade creates.
    void expectCopyOfTheDatabaseBefore(const QString& copy, const QByteArray& before) const
    {
        if (!onServer()) {
            EXPECT_EQ(fileHash(copy), before);
            return;
        }
        QFile dump(copy);
        ASSERT_TRUE(dump.open(QIODevice::ReadOnly)) << copy.toStdString();
        const QString text = QString::fromUtf8(dump.readAll()).toLower();
        EXPECT_TRUE(text.contains("create table public.device ")) << copy.toStdString();
        EXPECT_FALSE(text.contains("edithist")) << copy.toStdString();
    }
    QStringList backups() const
    {
        return QDir(dir.path()).entryList({QStringLiteral("*.bak"), QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    }
    QString backupLine(const QString& path) const
    {
        return QStringLiteral("Копия базы данных до преобразования: ") + path;
    }
    // The statement that takes the right to write before anything is announced.
    QString writeLock() const { return onServer() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"); }

    TempWorkDir dir;

private:
    int m_language = 1;
    std::vector<std::unique_ptr<EngineDatabase>> m_databases;
};

TEST_P(SchemaUpgradeTest, WithoutVersionRowTheRowIsWrittenFirstThenTheWarningWithAnEmptyVersionThenEveryStep)
{
    const EngineDatabase& path = make(Content::Empty);
    const QByteArray before = contentsBefore(path);
    SqlConnection connection;
    path.connect(connection);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);

    const QString backup = copyOf(path);
    const QString warning = QStringLiteral("WARNING Текущая версия базы данных версии  будет преобразована до версии "
                                           "2.4.\n") + backupLine(backup);
    const QString insert =
        QStringLiteral("SQL ") + connection.translate("insert into info ( Id_info, Info_name ) values ( 2, '2.4' );");
    ASSERT_GE(trace.events.size(), 4);
    EXPECT_EQ(trace.events[0], "SQL " + connection.translate("select Info_name from info where id_info = 2;"));
    EXPECT_EQ(trace.events[1], "SQL " + connection.translate("select Info_name from info where id_info = 3;"));
    // The write lock first, then the row, then the warning, and nothing changed in between.
    const int lock = trace.indexOf("SQL " + writeLock());
    const int row = trace.indexOf(insert);
    const int announced = trace.indexOf(warning);
    EXPECT_EQ(lock, 2);
    EXPECT_LT(lock, row);
    EXPECT_EQ(announced, row + 1);
    EXPECT_EQ(trace.events.last(), "SQL COMMIT");
    EXPECT_EQ(trace.events.filter("SQL COMMIT").size(), 1) << "the row and the steps are one transaction";
    EXPECT_EQ(trace.messages.size(), 1);
    // No update of the version row: it was written before.
    EXPECT_FALSE(trace.statements().join('\n').contains("update info"));

    for (const QString& table : kUpgradeTables)
        EXPECT_TRUE(hasTable(path, table)) << table.toStdString();
    EXPECT_TRUE(hasColumn(path, "Device", "SetDate"));
    EXPECT_TRUE(hasColumn(path, "Device", "ChangeDate"));
    for (const QString& view : SchemaUpgrade::viewNames())
        EXPECT_EQ(scalar(path, "select count(*) from " + view).toInt(), 0) << view.toStdString();
    EXPECT_EQ(storedVersion(path).toString(), "2.4");

    // The copy is the file as it was before anything changed.
    ASSERT_EQ(backups(), QStringList{QFileInfo(backup).fileName()});
    expectCopyOfTheDatabaseBefore(backup, before);
}

TEST_P(SchemaUpgradeTest, SameVersionAndLevelRunNothingButTheirQueries)
{
    const EngineDatabase& path = make(Content::UpgradedEmpty);
    SqlConnection connection;
    path.connect(connection);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::UpToDate);

    EXPECT_EQ(trace.events, (QStringList{"SQL " + connection.translate("select Info_name from info where id_info = 2;"),
                                         "SQL " + connection.translate("select Info_name from info where id_info = 3;")}));
    EXPECT_TRUE(backups().isEmpty());
}

TEST_P(SchemaUpgradeTest, OlderVersionWithEveryTableWarnsPassesEveryProbeRecreatesTheTenViewsAndStoresTheVersion)
{
    const EngineDatabase& path = make(Content::UpgradedEmpty);
    execute(path, "update info set Info_name = '2.3' where ID_Info = 2;");
    execute(path, "insert into Crew (Name_Crew) values ('Бригада');");
    execute(path, "insert into DevRep (IDevType, IRep) values (1, 1);");
    SqlConnection connection;
    path.connect(connection);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);

    ASSERT_EQ(trace.messages.size(), 1);
    EXPECT_EQ(trace.messages[0].first, MessageService::Kind::Warning);
    EXPECT_EQ(trace.messages[0].second,
              "Текущая версия базы данных версии 2.3 будет преобразована до версии 2.4.\n" +
                  backupLine(copyOf(path)));

    // Every probe passed: nothing was created, altered, inserted or deleted but the level row.
    const QStringList sent = trace.statements();
    for (const QString& statement : sent) {
        const QString lower = statement.toLower();
        if (lower.contains("info"))
            continue;
        EXPECT_FALSE(lower.startsWith("create table") || lower.startsWith("alter table") ||
                     lower.startsWith("insert") || lower.startsWith("delete"))
            << statement.toStdString();
    }
    // The version's 23 probes, then those of the program's own steps (three author columns, the
    // move log's key).
    EXPECT_EQ(sent.filter(QRegularExpression("LIMIT 1", QRegularExpression::CaseInsensitiveOption)).size(), 23 + 4);

    // Each view dropped (where it is there, on the server) and created again, in order.
    QStringList viewStatements;
    for (const QString& statement : sent)
        if (statement.startsWith("drop view") || statement.startsWith("create view"))
            viewStatements.append(QString(statement).remove("IF EXISTS ", Qt::CaseInsensitive).section(' ', 0, 2).remove(';'));
    QStringList expected;
    for (const QString& view : SchemaUpgrade::viewNames())
        expected << "drop view " + view << "create view " + view;
    // Again by the program's own steps: the logs with their authors, the malfunction list, the move
    // log with its key.
    for (const QString view : {"EditHistView", "MovHistView", "RepHistView", "Refusals", "MovHistView"})
        expected << "drop view " + view << "create view " + view;
    EXPECT_EQ(viewStatements, expected);
    EXPECT_EQ(SchemaUpgrade::viewNames().size(), 10);

    EXPECT_EQ(sent.last(), "COMMIT");
    EXPECT_EQ(sent[sent.size() - 2], connection.translate("update info set Info_name ='2.4' where ID_Info = 2;"));
    EXPECT_EQ(storedVersion(path).toString(), "2.4");
    EXPECT_EQ(scalar(path, "select count(*) from Victim").toInt(), 3);
    EXPECT_EQ(scalar(path, "select count(*) from DevRep").toInt(), 1);
}

TEST_P(SchemaUpgradeTest, TheLogsGetTheirAuthorColumnFromAnUpgradeButADatabaseAtThisVersionIsOnlyAskedItsVersion)
{
    const struct {
        const char* version;
        SchemaUpgrade::Outcome outcome;
        bool column;
    } cases[] = {{"2.3", SchemaUpgrade::Outcome::Upgraded, true}, {"2.4", SchemaUpgrade::Outcome::UpToDate, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        const EngineDatabase& db = make(Content::UpgradedEmpty, QString::fromLatin1(c.version) + ".db");
        if (onServer()) {
            // The server takes the logs' views with the column; the upgrade makes them again.
            for (const QString log : {"EditHist", "MovHist", "RepHist"})
                execute(db, "alter table " + log + " drop column ChangedBy cascade");
        } else {
            TestDatabase::removeLogAuthorColumn(db.location());
        }
        execute(db, QStringLiteral("update info set Info_name = '%1' where ID_Info = 2;").arg(c.version));
        execute(db, "insert into EditHist (IDevice, IVictim) values (1, 2);");
        SqlConnection connection;
        db.connect(connection);
        Trace trace(connection);

        EXPECT_EQ(SchemaUpgrade(connection, ReadProgramVersion(), {.backup = false, .announce = false}).CheckSchemaVersion(),
                  c.outcome);

        for (const QString log : {"EditHist", "MovHist", "RepHist"})
            EXPECT_EQ(hasColumn(db, log, "ChangedBy"), c.column) << log.toStdString();
        if (c.column) {
            for (const QString view : {"EditHistView", "MovHistView", "RepHistView"})
                EXPECT_TRUE(hasColumn(db, view, "ChangedBy")) << view.toStdString();
            EXPECT_EQ(scalar(db, "select count(*) from EditHistView where ChangedBy is null and Victim is not null"), 1);
        } else {
            EXPECT_EQ(trace.statements().size(), 2);
        }
    }
}

TEST_P(SchemaUpgradeTest, TheVersionComparisonIsExact)
{
    // Each of these differs from "2.4" and so starts an upgrade, which stores "2.4".
    const QStringList differing = {"2.4 ", " 2.4", "2.40", "", "No version"};
    for (const QString& stored : differing) {
        const QString file = QStringLiteral("v%1.db").arg(differing.indexOf(stored));
        const EngineDatabase& path = make(Content::UpgradedEmpty, file);
        execute(path, "update info set Info_name = " + SqlValue::quoted(stored) + " where ID_Info = 2;");
        SqlConnection connection;
        path.connect(connection);
        Trace trace(connection);

        EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded) << file.toStdString();
        ASSERT_EQ(trace.messages.size(), 1);
        EXPECT_TRUE(trace.messages[0].second.startsWith(
            FormatText(Str::UpgradeWarning, stored, QStringLiteral("2.4")) + "\n"));
        EXPECT_EQ(storedVersion(path).toString(), "2.4");
    }
}

TEST_P(SchemaUpgradeTest, TheFirstUpgradeCopiesEachServiceRowOncePerCrewAndDropsTheRowsWithoutCrew)
{
    const EngineDatabase& path = make(Content::Empty);
    execute(path, "insert into Crew (Name_Crew) values ('Первая');");
    execute(path, "insert into Crew (Name_Crew) values ('Вторая');");
    for (int i = 1; i <= 3; ++i)
        execute(path, QStringLiteral("insert into DevRep (IDevType, IRep, R_No, RT_Mon, RT, RT_PC, RCount) values "
                                     "(%1, %2, %3, 2.15, 4, 1.5, 60);")
                          .arg(10 + i)
                          .arg(20 + i)
                          .arg(i));
    execute(path, "insert into NextRep (IDevice, IDevRep) values (7, 2);");
    SqlConnection connection;
    path.connect(connection);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);

    const QStringList sent = trace.statements();
    EXPECT_TRUE(sent.contains(connection.translate(
        "insert into devrep (icrew,idevtype,irep,rt,rt_pc,rt_mon, r_no,rcount) select crew.id_crew, "
        "devrep.idevtype,devrep.irep ,devrep.rt,devrep.rt_pc,devrep.rt_mon,devrep.r_no,devrep.rcount from crew,devrep;")));
    EXPECT_TRUE(sent.contains(connection.translate("delete from devrep where isnull(icrew);")));

    SqlConnection check;
    path.connect(check);
    const auto rows = check.select("select ID_DevRep, ICrew, IDevType, IRep, R_No, RT_Mon, RT, RT_PC, RCount from DevRep "
                                   "order by IDevType, ICrew");
    ASSERT_EQ(rows->rowCount(), 6);
    for (int r = 0; r < 6; ++r) {
        const int original = r / 2 + 1;
        EXPECT_GT(rows->value(r, 0).toInt(), 3) << "a new key";
        EXPECT_EQ(rows->value(r, 1).toInt(), r % 2 + 1) << "one copy per crew";
        EXPECT_EQ(rows->value(r, 2).toInt(), 10 + original);
        EXPECT_EQ(rows->value(r, 3).toInt(), 20 + original);
        EXPECT_EQ(rows->value(r, 4).toInt(), original);
        EXPECT_DOUBLE_EQ(rows->value(r, 5).toDouble(), 2.15);
        EXPECT_DOUBLE_EQ(rows->value(r, 6).toDouble(), 4);
        EXPECT_DOUBLE_EQ(rows->value(r, 7).toDouble(), 1.5);
        EXPECT_DOUBLE_EQ(rows->value(r, 8).toDouble(), 60);
    }
    // Next-service rows keep the key of the row that is gone.
    EXPECT_EQ(check.scalar("select IDevRep from NextRep").toInt(), 2);

    // NormState now exists: a later upgrade copies nothing.
    check.execute("update info set Info_name = '2.3' where ID_Info = 2;");
    check.close();
    SqlConnection again;
    path.connect(again);
    EXPECT_EQ(SchemaUpgrade(again).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);
    EXPECT_EQ(again.scalar("select count(*) from DevRep").toInt(), 6);
    EXPECT_EQ(again.scalar("select count(*) from Victim").toInt(), 3);
}

TEST_P(SchemaUpgradeTest, TheExpansionAlsoCopiesRowsThatAlreadyHaveACrew)
{
    const EngineDatabase& path = make(Content::Empty);
    execute(path, "insert into Crew (Name_Crew) values ('Первая');");
    execute(path, "insert into Crew (Name_Crew) values ('Вторая');");
    execute(path, "insert into DevRep (IDevType, ICrew, IRep) values (5, 1, 1);");
    SqlConnection connection;
    path.connect(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);

    // The row with its crew stays, and gets a copy for each crew.
    EXPECT_EQ(connection.scalar("select count(*) from DevRep where ICrew = 1").toInt(), 2);
    EXPECT_EQ(connection.scalar("select count(*) from DevRep where ICrew = 2").toInt(), 1);
    EXPECT_EQ(connection.scalar("select min(ID_DevRep) from DevRep").toInt(), 1);
}

TEST_P(SchemaUpgradeTest, OnlyTheMissingDeviceColumnIsAdded)
{
    const EngineDatabase& path = make(Content::Empty);
    execute(path, "alter table device add column ChangeDate datetime null;");
    SqlConnection connection;
    path.connect(connection);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);

    const QStringList alters = trace.statements().filter("alter table device", Qt::CaseInsensitive);
    EXPECT_EQ(alters, QStringList{connection.translate("alter table device add column SetDate datetime null;")});
    EXPECT_TRUE(hasColumn(path, "Device", "SetDate"));
}

TEST_P(SchemaUpgradeTest, KindsOfEditAreStoredInTheLanguageInUse)
{
    const struct {
        int language;
        QStringList names;
    } cases[] = {
        {1, {"Добавлен", "Редакт.", "Удален"}},
        {0, {"Added", "Edited", "Deleted"}},
    };
    for (const auto& c : cases) {
        setLanguageIndex(c.language);
        const EngineDatabase& path = make(Content::Empty, QStringLiteral("lang%1.db").arg(c.language));
        SqlConnection connection;
        path.connect(connection);
        Trace trace(connection);
        EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);

        const auto rows = connection.select("select Code, Victim from Victim");
        ASSERT_EQ(rows->rowCount(), 3);
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(rows->value(r, 0).toInt(), r + 1);
            EXPECT_EQ(rows->value(r, 1).toString(), c.names[r]);
        }
        // One statement per kind, in order, as written.
        const QStringList inserts = trace.statements().filter("insert into Victim");
        ASSERT_EQ(inserts.size(), 3);
        EXPECT_EQ(inserts[0], connection.translate("insert into Victim ( Code, Victim ) values ( 1, '" + c.names[0] + "');"));
    }
}

// Making the view "CrewDevTypeView" impossible to create (a table holds its name) stops the upgrade
// late, after tables, columns and views have already been changed.
const EngineDatabase& prepareLateFailure(const EngineDatabase& db)
{
    SqlConnection c;
    db.connect(c);
    c.execute("create table CrewDevTypeView ( x int null );");
    return db;
}

TEST_P(SchemaUpgradeTest, AFailingStatementEndsTheUpgradeUndoesItKeepsTheOldVersionAndNamesTheCopy)
{
    const EngineDatabase& path = prepareLateFailure(make(Content::Empty));
    execute(path, "insert into info ( Id_info, Info_name ) values ( 2, '2.3' );");
    const QByteArray before = contentsBefore(path);
    SqlConnection connection;
    path.connect(connection);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Failed);

    ASSERT_EQ(trace.messages.size(), 2);
    EXPECT_EQ(trace.messages[1].first, MessageService::Kind::Error);
    const QString error = trace.messages[1].second;
    EXPECT_TRUE(error.contains("CrewDevTypeView", Qt::CaseInsensitive)) << error.toStdString();
    const QString backup = copyOf(path);
    EXPECT_TRUE(error.contains(backup)) << error.toStdString();
    // Nothing after the failing step ran.
    const QStringList sent = trace.statements();
    EXPECT_FALSE(sent.join('\n').contains("AccountView"));
    EXPECT_EQ(sent.last(), "ROLLBACK");
    connection.close();

    EXPECT_EQ(storedVersion(path).toString(), "2.3");
    EXPECT_FALSE(hasTable(path, "EditHist"));
    EXPECT_FALSE(hasColumn(path, "Device", "SetDate"));
    {
        SqlConnection c;
        path.connect(c);
        EXPECT_FALSE(EngineCatalogue::hasView(c, "Pasport"));
    }
    expectCopyOfTheDatabaseBefore(backup, before);

    // The next start repeats the upgrade from its first step.
    execute(path, "drop table CrewDevTypeView;");
    SqlConnection next;
    path.connect(next);
    EXPECT_EQ(SchemaUpgrade(next).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);
    EXPECT_EQ(next.scalar("select Info_name from info where id_info = 2;").toString(), "2.4");
    EXPECT_EQ(backups().size(), 2);
}

// The first version row is written before the upgrade; when the upgrade fails it is taken back too,
// so that the next start tries again instead of taking the unchanged file for an up-to-date one.
TEST_P(SchemaUpgradeTest, AFailedFirstUpgradeTakesBackTheVersionRowWrittenBeforeIt)
{
    const EngineDatabase& path = prepareLateFailure(make(Content::Empty));
    SqlConnection connection;
    path.connect(connection);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Failed);
    EXPECT_TRUE(trace.statements().contains(connection.translate("insert into info ( Id_info, Info_name ) values ( 2, '2.4' );")));
    connection.close();

    EXPECT_FALSE(storedVersion(path).isValid());
    EXPECT_FALSE(hasTable(path, "EditHist"));
    ASSERT_EQ(trace.messages.size(), 2);
    EXPECT_EQ(trace.messages[1].first, MessageService::Kind::Error);
}

// A copy that cannot be made in a file's folder; the file system decides, so this is about files.
class SchemaUpgradeOfAFile : public SchemaUpgradeTest {};

TEST_P(SchemaUpgradeOfAFile, WithoutACopyNothingIsChanged)
{
    // A name so long that the copy's name exceeds what the file system allows.
    const QString name = QString(240, QLatin1Char('d')) + QStringLiteral(".db");
    const QString path = TestDatabase::createEmptyDatabase(dir.path(), name);
    const QByteArray before = fileHash(path);
    SqlConnection connection;
    connection.setDatabaseFile(path);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::BackupFailed);
    connection.close();

    ASSERT_EQ(trace.messages.size(), 1);
    EXPECT_EQ(trace.messages[0].first, MessageService::Kind::Error);
    EXPECT_TRUE(trace.messages[0].second.contains("не преобразована")) << trace.messages[0].second.toStdString();
    EXPECT_EQ(trace.statements().last(), "ROLLBACK");
    EXPECT_TRUE(trace.statements().filter(QRegularExpression("^(insert|create|alter)", QRegularExpression::CaseInsensitiveOption)).isEmpty());
    EXPECT_EQ(fileHash(path), before);
    EXPECT_TRUE(backups().isEmpty());
}

TEST_P(SchemaUpgradeTest, AFailingVersionQueryIsReportedAndNothingElseRuns)
{
    // A database without the program's objects (on a server: no plant), and one that is not there.
    const EngineDatabase& blank = make(Content::Bare, "blank.db");
    struct Case {
        std::function<void(SqlConnection&)> connect;
        QString engineText;
    };
    const QString missingDatabase = QStringLiteral("instrel_test_missing");
    const QList<Case> cases = {
        {[&](SqlConnection& c) { blank.connect(c); },
         onServer() ? QStringLiteral("нет предприятия") : QStringLiteral("no such table: info")},
        onServer() ? Case{[&](SqlConnection& c) { c.setServer(TestServer::connectionString() + " dbname=" + missingDatabase); },
                          missingDatabase}
                   : Case{[&](SqlConnection& c) { c.setDatabaseFile(dir.file("missing.db")); }, "missing.db"},
    };
    for (const auto& c : cases) {
        SqlConnection connection;
        c.connect(connection);
        Trace trace(connection);
        EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::NotChecked);
        ASSERT_EQ(trace.messages.size(), 1);
        EXPECT_EQ(trace.messages[0].first, MessageService::Kind::Error);
        EXPECT_TRUE(trace.messages[0].second.contains(c.engineText)) << trace.messages[0].second.toStdString();
        EXPECT_LE(trace.statements().size(), 1);
    }
    EXPECT_FALSE(QFile::exists(dir.file("missing.db")));
    EXPECT_TRUE(backups().isEmpty());
}

TEST_P(SchemaUpgradeTest, TwoUpgradesInOneSecondKeepBothCopies)
{
    const EngineDatabase& path = make(Content::Empty);
    for (int run = 0; run < 2; ++run) {
        execute(path, "delete from info;");
        SqlConnection connection;
        path.connect(connection);
        EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);
    }
    const QStringList copies = backups();
    EXPECT_EQ(copies.size(), 2);
    EXPECT_TRUE(copies.contains(QFileInfo(copyOf(path)).fileName()));
    EXPECT_TRUE(copies.contains(QFileInfo(copyOf(path, "-2")).fileName()));
}

} // namespace

// A database as the previous build left it: the version's steps, the author columns (or not yet:
// that build added them when a log was first read), the faster malfunction list and the indexes,
// and no level row. Its own steps come each exactly once, inside one upgrade after a copy; the
// entries already in the move log get keys of their own; the next start finds nothing to do.
TEST_P(SchemaUpgradeTest, ADatabaseOfThePreviousBuildGetsEachOwnStepExactlyOnce)
{
    for (const bool authorAdded : {true, false}) {
        SCOPED_TRACE(authorAdded ? "author column added" : "no author column yet");
        const EngineDatabase& db = make(Content::Empty, authorAdded ? "added.db" : "none.db");
        {
            SqlConnection connection;
            db.connect(connection);
            ASSERT_EQ(SchemaUpgrade(connection, ReadProgramVersion(), {.backup = false, .announce = false, .level = 3})
                          .CheckSchemaVersion(),
                      SchemaUpgrade::Outcome::Upgraded);
        }
        execute(db, "delete from info where ID_Info = 3;");
        if (!authorAdded) {
            if (onServer()) {
                for (const QString log : {"EditHist", "MovHist", "RepHist"})
                    execute(db, "alter table " + log + " drop column ChangedBy cascade");
            } else {
                TestDatabase::removeLogAuthorColumn(db.location());
            }
        }
        // Two moves of one device in the same second, and one of another.
        for (const char* place : {"'Цех 1'", "'Цех 2'"})
            execute(db, QStringLiteral("insert into MovHist (IDevice, ChangeDate, NewSetPlace) values "
                                       "(7, '2025-03-01 10:00:00', %1);").arg(place));
        execute(db, "insert into MovHist (IDevice, ChangeDate, NewSetPlace) values (8, '2025-03-01 10:00:00', 'Склад');");

        SqlConnection connection;
        db.connect(connection);
        Trace trace(connection);
        EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Upgraded);
        ASSERT_EQ(trace.messages.size(), 1);
        // Without a level row every step runs, each finding what is there already.
        EXPECT_TRUE(trace.messages[0].second.endsWith(
            "» будет дополнена: журналы записывают, кто сделал запись; более быстрый список неисправностей; индексы "
            "для большого предприятия; сравнение текстов без учёта регистра; ключ каждой записи журнала "
            "передвижений.\n" + backupLine(copyOf(db))))
            << trace.messages[0].second.toStdString();
        EXPECT_EQ(backups(), QStringList{QFileInfo(copyOf(db)).fileName()});
        QDir(dir.path()).remove(QFileInfo(copyOf(db)).fileName());
        EXPECT_EQ(trace.statements().filter(QRegularExpression("^COMMIT$")).size(), 1) << "one transaction";

        for (const QString table : {"EditHist", "MovHist", "RepHist", "EditHistView", "MovHistView", "RepHistView"}) {
            SqlConnection c;
            db.connect(c);
            EXPECT_EQ(c.tableInfo(table).columns.filter(QRegularExpression("^changedby$", QRegularExpression::CaseInsensitiveOption)).size(), 1)
                << table.toStdString();
        }
        EXPECT_EQ(scalar(db, "select count(distinct ID_MovHist) from MovHist where IDevice = 7").toInt(), 2);
        EXPECT_EQ(scalar(db, "select count(*) from MovHistView where ID_MovHist is not null").toInt(), 3);
        EXPECT_EQ(scalar(db, "select Info_name from info where id_info = 3;").toString(), "5");
        if (onServer())
            EXPECT_EQ(scalar(db, "select count(*) from pg_collation where collname = 'unicode_nocase'").toInt(), 1);

        // The next start: the version and the level are all it reads.
        SqlConnection again;
        db.connect(again);
        Trace quiet(again);
        EXPECT_EQ(SchemaUpgrade(again).CheckSchemaVersion(), SchemaUpgrade::Outcome::UpToDate);
        EXPECT_EQ(quiet.statements().size(), 2);
    }
}

// A database a newer program has taken further than this one knows: left as it is, said so once,
// and every write refused with the reason, while reading goes on.
TEST_P(SchemaUpgradeTest, ADatabaseOfANewerProgramIsOnlyRead)
{
    const EngineDatabase& db = make(Content::UpgradedEmpty);
    execute(db, "update info set Info_name = '99' where ID_Info = 3;");
    const QByteArray before = contentsBefore(db);
    SqlConnection connection;
    db.connect(connection);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::Newer);

    ASSERT_EQ(trace.messages.size(), 1);
    EXPECT_EQ(trace.messages[0].first, MessageService::Kind::Warning);
    EXPECT_TRUE(trace.messages[0].second.contains("изменена более новой версией программы"))
        << trace.messages[0].second.toStdString();
    EXPECT_EQ(connection.readOnlyReason(), trace.messages[0].second);
    EXPECT_EQ(connection.scalar("select count(*) from Device").toInt(), 0);
    try {
        connection.execute("insert into Crew (Name_Crew) values ('Бригада');");
        ADD_FAILURE() << "the write was sent";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().startsWith("Ничего не сохранено. База данных")) << e.message().toStdString();
    }
    EXPECT_EQ(trace.statements().filter(QRegularExpression("^(insert|INSERT|BEGIN|begin)")).size(), 0);
    EXPECT_EQ(scalar(db, "select count(*) from Crew").toInt(), 0);
    EXPECT_TRUE(backups().isEmpty());
    if (!onServer())
        EXPECT_EQ(fileHash(db.location()), before);
}

// A server database without the program's tables is not an error of a statement to the user: it
// holds no plant, and the message says how to make or copy one, without any password.
TEST_P(SchemaUpgradeTest, AServerDatabaseWithoutTablesHoldsNoPlant)
{
    if (!onServer())
        GTEST_SKIP() << "a file without tables is the file's own case";
    const EngineDatabase& db = make(Content::Bare);
    SqlConnection connection;
    db.connect(connection);
    Trace trace(connection);

    EXPECT_EQ(SchemaUpgrade(connection).CheckSchemaVersion(), SchemaUpgrade::Outcome::NotChecked);

    ASSERT_EQ(trace.messages.size(), 1);
    const QString text = trace.messages[0].second;
    EXPECT_TRUE(text.contains("нет предприятия")) << text.toStdString();
    EXPECT_TRUE(text.contains("instrel-initdb --demo")) << text.toStdString();
    EXPECT_TRUE(text.contains("instrel-initdb --copy Device.db")) << text.toStdString();
    EXPECT_FALSE(text.contains("relation")) << text.toStdString();
    EXPECT_FALSE(text.contains("password")) << text.toStdString();
}

INSTREL_ON_BOTH_ENGINES(SchemaUpgradeTest);
INSTANTIATE_TEST_SUITE_P(, SchemaUpgradeOfAFile, ::testing::Values(Engine::Sqlite), engineTestName);
