#include "support/TestDatabase.h"

#include "data/Clock.h"
#include "data/DemoDatabase.h"
#include "data/InitialSchema.h"
#include "data/ResultSet.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <stdexcept>

namespace {

QString newPath(const QString& directory, const QString& fileName)
{
    const QString path = QDir(directory).absoluteFilePath(fileName);
    if (QFile::exists(path))
        throw std::runtime_error("test database already exists: " + path.toStdString());
    return path;
}

void upgradeQuietly(SqlConnection& connection)
{
    SchemaUpgrade upgrade(connection, ReadProgramVersion(), {.backup = false, .announce = false});
    if (upgrade.CheckSchemaVersion() != SchemaUpgrade::Outcome::Upgraded)
        throw std::runtime_error("the upgrade of a new test database failed");
}

QString buildEmpty(const QString& directory, const QString& fileName, bool upgraded)
{
    const QString path = TestDatabase::createBlankDatabase(directory, fileName);
    SqlConnection connection;
    connection.setDatabaseFile(path);
    InitialSchema::create(connection);
    if (upgraded)
        upgradeQuietly(connection);
    return path;
}

} // namespace

QString TestDatabase::createBlankDatabase(const QString& directory, const QString& fileName)
{
    const QString path = newPath(directory, fileName);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA user_version = 0;", nullptr, nullptr, nullptr); // writes the header
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot create test database " + path.toStdString());
    return path;
}

QString TestDatabase::createEmptyDatabase(const QString& directory, const QString& fileName)
{
    return buildEmpty(directory, fileName, false);
}

QString TestDatabase::createUpgradedEmptyDatabase(const QString& directory, const QString& fileName)
{
    return buildEmpty(directory, fileName, true);
}

QString TestDatabase::createDemoDatabase(const QString& directory, const QString& fileName)
{
    // One template per day the clock shows: the demo's dates are counted from today.
    static QTemporaryDir templates;
    static QHash<QDate, QString> built;
    const QDate today = Clock::today();
    if (!built.contains(today)) {
        const QString name = QStringLiteral("demo-%1.db").arg(today.toString(Qt::ISODate));
        const QString path = buildEmpty(templates.path(), name, true);
        SqlConnection connection;
        connection.setDatabaseFile(path);
        DemoDatabase::fill(connection);
        built.insert(today, path);
    }
    const QString path = newPath(directory, fileName);
    if (!QFile::copy(built.value(today), path))
        throw std::runtime_error("cannot copy the demo database to " + path.toStdString());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return path;
}

void TestDatabase::removeLogAuthorColumn(const QString& path)
{
    SqlConnection db;
    db.setDatabaseFile(path);
    // The engine checks every view when a column goes: they are set aside and made again after,
    // the logs' views without the column.
    const auto views = db.select(QStringLiteral("select name, sql from sqlite_master where type = 'view' order by rowid"));
    db.begin();
    for (int r = views->rowCount() - 1; r >= 0; --r)
        db.execute(QStringLiteral("drop view ") + views->value(r, 0).toString());
    for (const QString& log : {QStringLiteral("EditHist"), QStringLiteral("MovHist"), QStringLiteral("RepHist")})
        db.execute(QStringLiteral("alter table %1 drop column ChangedBy").arg(log));
    for (int r = 0; r < views->rowCount(); ++r) {
        QString created = views->value(r, 1).toString();
        for (const QString& log : {QStringLiteral("EditHist"), QStringLiteral("MovHist"), QStringLiteral("RepHist")})
            created.remove(QStringLiteral(", ") + log + QStringLiteral(".ChangedBy"), Qt::CaseInsensitive);
        db.execute(created);
    }
    db.commit();
}
