// A small program the database-file tests start as a real process, for what only another process
// can show: a program killed in the middle of an upgrade, and a file held by another program.
//
//   db_probe upgrade FILE                 the program's version check and upgrade on FILE; prints
//                                         "statements N" and "outcome K" (SchemaUpgrade::Outcome)
//   db_probe upgrade FILE kill-at N       the same, killing itself (SIGKILL) as statement N (from 1)
//                                         is about to be sent
//   db_probe upgrade FILE kill-on-warning the same, killing itself while the upgrade's warning is open
//   db_probe hold FILE exclusive|write    holds an exclusive lock, or a write transaction with a
//                                         change not yet committed; prints "held" once it does and
//                                         keeps it until its standard input closes
//   db_probe save FILE KEY N              saves the Crew row KEY N times through a dataset, each
//                                         time with its Name_Crew one higher; prints a line
//                                         "failed MS TEXT" for each save that fails (MS: how long
//                                         it took) and "saved K" at the end
//   db_probe readonly FILE                prints "reason TEXT" (why the connection only reads, as
//                                         the program says it at start), then saves the first Crew
//                                         row and prints "refused TEXT" or "saved"
#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/SchemaUpgrade.h"
#include "data/SqlConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <csignal>
#include <cstdio>
#include <sqlite3.h>

namespace {

void killSelf()
{
    std::fflush(nullptr);
    std::raise(SIGKILL);
}

class ProbeMessages final : public MessageService {
public:
    explicit ProbeMessages(bool killOnWarning) : m_killOnWarning(killOnWarning) { m_previous = install(this); }
    ~ProbeMessages() override { install(m_previous); }

    void show(Kind kind, const QString& text, const QString&) override
    {
        std::fprintf(stderr, "%s %s\n", kind == Kind::Warning ? "WARNING" : kind == Kind::Error ? "ERROR" : "INFO",
                     qPrintable(text));
        if (kind == Kind::Warning && m_killOnWarning)
            killSelf();
    }
    bool askYesNo(Kind kind, const QString& text, const QString& title) override
    {
        show(kind, text, title);
        return false;
    }

private:
    bool m_killOnWarning;
    MessageService* m_previous = nullptr;
};

int upgrade(const QString& file, const QString& kill, int killAt)
{
    ProbeMessages messages(kill == QLatin1String("kill-on-warning"));
    SqlConnection connection;
    connection.setDatabaseFile(file);
    int sent = 0;
    QObject::connect(&connection, &SqlConnection::willExecute, [&](const QStringList&) {
        if (++sent == killAt)
            killSelf();
    });
    const auto outcome = SchemaUpgrade(connection).CheckSchemaVersion();
    connection.close();
    std::printf("statements %d\noutcome %d\n", sent, int(outcome));
    return 0;
}

int hold(const QString& file, const QString& how)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return 2;
    const char* lock = how == QLatin1String("exclusive")
                           ? "BEGIN EXCLUSIVE; select count(*) from sqlite_master;"
                           : "BEGIN IMMEDIATE; create table HeldByAnotherProgram ( x int );";
    char* error = nullptr;
    if (sqlite3_exec(db, lock, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", error ? error : "?");
        return 2;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char buffer[64];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

int save(const QString& file, qint64 key, int times)
{
    SqlConnection connection;
    connection.setDatabaseFile(file);
    Dataset crew(&connection);
    crew.setSql(QStringLiteral("select * from Crew where ID_Crew = %1").arg(key));
    crew.setUpdateTable(QStringLiteral("Crew"), QStringLiteral("ID_Crew"));
    int saved = 0;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer timer;
        timer.start();
        try {
            crew.close();
            crew.open();
            crew.edit();
            crew.setValue(QStringLiteral("Name_Crew"),
                          QString::number(crew.value(QStringLiteral("Name_Crew")).toString().toInt() + 1));
            crew.post();
            ++saved;
        } catch (const DatabaseError& e) {
            crew.cancel();
            std::printf("failed %lld %s\n", static_cast<long long>(timer.elapsed()), qPrintable(e.message()));
        }
    }
    std::printf("saved %d\n", saved);
    return 0;
}

int readOnly(const QString& file)
{
    SqlConnection connection;
    connection.setDatabaseFile(file);
    std::printf("reason %s\n", qPrintable(connection.readOnlyReason()));
    Dataset crew(&connection);
    crew.setSql(QStringLiteral("select * from Crew"));
    crew.setUpdateTable(QStringLiteral("Crew"), QStringLiteral("ID_Crew"));
    try {
        crew.open();
        crew.edit();
        crew.setValue(QStringLiteral("Name_Crew"), QStringLiteral("Бригада 2"));
        crew.post();
        std::printf("saved\n");
    } catch (const DatabaseError& e) {
        std::printf("refused %s\n", qPrintable(e.message()));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("upgrade"))
        return upgrade(args[2], args.value(3), args.value(3) == QLatin1String("kill-at") ? args.value(4).toInt() : 0);
    if (args.size() == 4 && args[1] == QLatin1String("hold"))
        return hold(args[2], args[3]);
    if (args.size() == 3 && args[1] == QLatin1String("readonly"))
        return readOnly(args[2]);
    if (args.size() == 5 && args[1] == QLatin1String("save"))
        return save(args[2], args[3].toLongLong(), args[4].toInt());
    std::fprintf(stderr, "usage: db_probe upgrade FILE [kill-at N | kill-on-warning] | hold FILE exclusive|write | "
                         "save FILE KEY N | readonly FILE\n");
    return 2;
}
