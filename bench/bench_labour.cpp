// The labour-planning window on the labour-heavy plant: the table view with all rows, showing the
// "Information" page, posting a device type and counting the norm state of a crew, each against
// SQLite's C API running the same statements on the same file in the same run.
#include "BenchSupport.h"
#include "LabourPlant.h"

#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "data/JetDialect.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "labour/AccountFrm.h"
#include "labour/rules/DevTypeCountSync.h"
#include "labour/rules/NormStateCount.h"

#include <QApplication>
#include <QTabWidget>
#include <sqlite3.h>

namespace {

bool failed = false;

void fail(const char* what)
{
    std::printf("FAIL: %s\n", what);
    failed = true;
}

class Raw {
public:
    explicit Raw(const QString& file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            std::printf("FAIL: raw open: %s\n", sqlite3_errmsg(m_db));
            std::exit(1);
        }
        SqliteExtensions::registerAll(m_db);
    }
    ~Raw() { sqlite3_close(m_db); }

    // Runs `sql` with integer `params` and reads every cell of every row; returns the rows.
    int run(const QString& sql, const QList<qint64>& params = {})
    {
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, text.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            std::printf("FAIL: raw statement %s: %s\n", text.constData(), sqlite3_errmsg(m_db));
            std::exit(1);
        }
        for (int i = 0; i < params.size(); ++i)
            sqlite3_bind_int64(stmt, i + 1, params[i]);
        int rows = 0;
        const int columns = sqlite3_column_count(stmt);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < columns; ++c)
                m_checksum += bench::RawDatabase::readCell(stmt, c);
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            bench::fail(QStringLiteral("raw statement %1: %2").arg(sql, QString::fromUtf8(sqlite3_errmsg(m_db))));
        return rows;
    }
    double scalar(const QString& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            bench::fail(QStringLiteral("raw statement %1: %2").arg(sql, QString::fromUtf8(sqlite3_errmsg(m_db))));
        const double v = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_double(stmt, 0) : 0;
        sqlite3_finalize(stmt);
        return v;
    }
    void exec(const char* sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            bench::fail(QStringLiteral("raw %1: %2").arg(QLatin1String(sql), QString::fromUtf8(sqlite3_errmsg(m_db))));
    }

private:
    sqlite3* m_db = nullptr;
    quint64 m_checksum = 0; // keeps the compiler from skipping the reads
};

void report(const char* what, double ours, double raw)
{
    bench::report(what, ours, raw, 1.5);
}

} // namespace

void measure()
{
    // The window posts counts: work on a copy of the labour plant in a folder of our own.
    const bench::WorkFolder folder;
    const QString file = folder.file(QStringLiteral("Labour.db"));
    bench::require(QFile::copy(bench::labourPlant(), file), QStringLiteral("cannot copy the labour plant to ") + file);
    TDM dm;
    SqlConnection& db = *dm.ADOConnection();
    db.setDatabaseFile(file);
    Raw raw(file);
    auto jet = [&db](const QString& statement) { return db.translate(statement); };
    const int runs = 5;

    TAccountForm form;
    Dataset* dsCrewDep = form.findChild<Dataset*>(QStringLiteral("dsCrewDep"));
    Dataset* dsDevType = form.findChild<Dataset*>(QStringLiteral("dsDevType"));
    std::printf("labour plant: %d pairs, %d service rows, %d shares, %d members\n",
                db.scalar(QStringLiteral("select count(*) from DevTypeCount;")).toInt(),
                db.scalar(QStringLiteral("select count(*) from DevRep;")).toInt(),
                db.scalar(QStringLiteral("select count(*) from RepCath;")).toInt(),
                db.scalar(QStringLiteral("select count(*) from CrewList;")).toInt());

    // The table view with all rows.
    const QString mainSql = jet(form.dsMain()->sql());
    const double table = bench::medianMs(runs, [&] { form.RequeryKeepRow(); });
    int rawRows = 0;
    const double rawTable = bench::medianMs(runs, [&] { rawRows = raw.run(mainSql); });
    if (form.dsMain()->recordCount() != rawRows || rawRows < 12000)
        fail("the table view does not list every share");
    std::printf("table view: %d rows\n", rawRows);
    report("table view, all rows", table, rawTable);

    // Showing "Information": the pairs kept complete, then the page's datasets.
    const qint64 crew = db.scalar(QStringLiteral("select min(ICrew) from DevRep where ICrew in (select ID_Crew from Crew "
                                                 "where Name_Crew like 'Бригада обслуживания%');")).toLongLong();
    form.ActivateInfoPage(true);
    dsCrewDep->locate(QStringLiteral("ID_Crew"), crew);
    const qint64 pair = dsDevType->value(QStringLiteral("ID_DevTypeCount")).toLongLong();
    const qint64 type = dsDevType->value(QStringLiteral("ID_DevType")).toLongLong();
    const qint64 devRep = db.scalar(QStringLiteral("select min(ID_DevRep) from DevRep where ICrew = %1 and IDevType = %2;")
                                        .arg(crew).arg(type)).toLongLong();
    form.ActivateInfoPage(false);
    const int firstCrew = db.scalar(QStringLiteral("select ID_Crew from Crew LEFT JOIN Depart ON Crew.IDepart = "
                                                   "Depart.ID_Depart;")).toInt();
    auto pageStatements = [&](qint64 shownCrew) {
        raw.exec("BEGIN");
        raw.run(jet(DevTypeCountSync::insertPairsStatement()));
        raw.run(jet(DevTypeCountSync::deleteOrphansStatement()));
        raw.exec("COMMIT");
        raw.run(jet(dsCrewDep->sql()));
        const QString typeSql = jet(dsDevType->sql()).replace(QStringLiteral(":ID_Crew"), QStringLiteral("?"));
        raw.run(typeSql, {shownCrew});
        raw.run(QStringLiteral("SELECT IDevType, ICrew FROM DevTypeCount WHERE ID_DevTypeCount = ?;"), {pair});
        raw.run(QStringLiteral("SELECT * FROM Reps;"));
        raw.run(QStringLiteral("select  * from DevRep where IDevType = ? AND ICrew = ?;"), {type, crew});
        raw.run(QStringLiteral("SELECT * FROM Cathegory ORDER BY Cathegory;"));
        raw.run(QStringLiteral("select * from RepCath where IDevRep = ?;"), {devRep});
    };
    const double page = bench::medianMs(runs, [&] {
        form.ActivateInfoPage(true);
        form.ActivateInfoPage(false);
    });
    const double rawPage = bench::medianMs(runs, [&] {
        pageStatements(firstCrew);
        // Leaving the page keeps the pairs complete once more.
        raw.run(jet(DevTypeCountSync::insertPairsStatement()));
        raw.run(jet(DevTypeCountSync::deleteOrphansStatement()));
    });
    report("show and leave \"Information\"", page, rawPage);

    // Posting a type's count in a crew of the labour-heavy part.
    form.ActivateInfoPage(true);
    dsCrewDep->locate(QStringLiteral("ID_Crew"), crew);
    dsDevType->locate(QStringLiteral("ID_DevType"), type);
    int amount = 100;
    const double post = bench::medianMs(runs, [&] {
        dsDevType->edit();
        dsDevType->setValue(QStringLiteral("Count"), ++amount);
        dsDevType->post();
    });
    if (db.scalar(QStringLiteral("select [Count] from DevTypeCount where IDevType = %1 and ICrew = %2;").arg(type).arg(crew))
            .toInt() != amount)
        fail("the posted count was not stored");
    const double rawPost = bench::medianMs(runs, [&] {
        raw.exec("BEGIN");
        raw.run(jet(DevTypeCountSync::deleteOrphansStatement()));
        raw.run(jet(DevTypeCountSync::insertPairsStatement()));
        raw.run(jet(DevTypeCountSync::countUpdateStatement(type, ++amount, crew)));
        raw.exec("COMMIT");
        raw.run(jet(dsDevType->sql()).replace(QStringLiteral(":ID_Crew"), QStringLiteral("?")), {crew});
    });
    form.ActivateInfoPage(false);
    report("post a type (3 statements, re-read)", post, rawPost);

    // The norm state of that crew (first count inserts the rows; the timed ones refresh them).
    NormStateCount(db, crew).run();
    Dataset dsNormState(&db);
    dsNormState.setSql(QStringLiteral("select * from NormState where ICrew = %1;").arg(crew));
    dsNormState.open();
    const int normRows = dsNormState.recordCount();
    if (normRows == 0)
        fail("the norm count made no rows");
    const double norm = bench::medianMs(runs, [&] {
        NormStateCount(db, crew).run();
        RequeryDataSetKeepRow(dsNormState);
    });
    const QString c = QString::number(crew);
    NormStateCount statements(db, crew);
    const double rawNorm = bench::medianMs(runs, [&] {
        raw.exec("BEGIN");
        raw.scalar(jet(QStringLiteral("select min( DayFundP1E ) as [mini] from CrewList where ICrew = ") + c + ";"));
        raw.run(jet(QStringLiteral(
                    "insert into NormState (ICrew,ICathegory,PlanHour) select AccountView.ID_Crew,AccountView.ID_Cathegory, "
                    "Sum(AccountView.Value) from AccountView inner join Cathegory on Cathegory.ID_Cathegory = "
                    "AccountView.ID_Cathegory where not exists ( select NormState.ICrew, NormState.ICathegory from "
                    "NormState where AccountView.ID_Crew = NormState.ICrew and AccountView.ID_Cathegory = "
                    "NormState.ICathegory  ) and AccountView.ID_Crew = ") + c +
                " group by AccountView.ID_Crew,AccountView.ID_Cathegory;"));
        const QString rowsSql = QStringLiteral("select ID_NormState, ICathegory, PlanHour, ExtPlanPC, ExtPlan, PlanP1E, "
                                               "Required from NormState where ICrew = ") + c +
                                " order by ICathegory, ID_NormState;";
        const auto rows = db.select(rowsSql); // the keys to walk; read once more below by the raw side
        raw.run(rowsSql);
        for (int r = 0; r < rows->rowCount(); ++r) {
            const QString cath = rows->value(r, 1).toString();
            const double sum = raw.scalar(jet(QStringLiteral("select Sum(AccountView.Value) as [sum]from AccountView "
                                                             "where AccountView.ID_Crew = ") + c +
                                              " and AccountView.ID_Cathegory = " + cath + ";"));
            raw.run(QStringLiteral("update NormState set PlanHour = ? where ID_NormState = ?;"),
                    {qint64(sum), rows->value(r, 0).toLongLong()});
        }
        raw.run(jet(QStringLiteral("select cathegory.cathegory from normstate left join cathegory on "
                                   "cathegory.id_cathegory = normstate.icathegory where normstate.icathegory not in ( "
                                   "select icathegory from crewlist where icrew = ") + c +
                    " and icathegory is not null ) and normstate.icrew = " + c + ";"));
        raw.run(rowsSql);
        for (int r = 0; r < rows->rowCount(); ++r)
            raw.run(QStringLiteral("update NormState set YearPlan = ?, Required = ? where ID_NormState = ?;"),
                    {1, 1, rows->value(r, 0).toLongLong()});
        raw.exec("COMMIT");
        raw.run(QStringLiteral("select * from NormState where ICrew = ") + c + ";");
    });
    std::printf("norm state: %d categories\n", normRows);
    report("CountNormState (No to both questions)", norm, rawNorm);

    std::printf("window times: table view %.1f ms, show and leave \"Information\" %.1f ms, post a type %.1f ms\n",
                table, page, post);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::run(measure);
    return failed ? 1 : 0;
}
