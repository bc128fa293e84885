#pragma once

// The labour-heavy copy of the big plant, for the benchmarks of the labour-planning window and its
// reports: the big plant with 2,000 more device types and 50 more crews (so about 117,000 pairs of
// type and crew), 6,000 service rows of the new types in the new crews, 12,000 category shares of
// them and 500 crew members. Made once from the big plant and kept beside it.
#include "BenchSupport.h"

#include "data/ResultSet.h"
#include "data/SchemaIndexes.h"
#include "data/SqlCommand.h"
#include "data/SqlConnection.h"

#include <QFile>
#include <QList>
#include <cmath>

namespace bench {

struct LabourSize {
    int types = 2000;
    int crews = 50;
    int serviceRows = 6000;
    int shares = 12000;
    int members = 500;
};

inline QList<qint64> keysOf(SqlConnection& db, const QString& statement)
{
    QList<qint64> keys;
    const auto rows = db.select(statement);
    for (int r = 0; r < rows->rowCount(); ++r)
        keys.append(rows->value(r, 0).toLongLong());
    return keys;
}

// Adds the labour-heavy part to a plant that already has its reference data (categories, services,
// working-time norms). One transaction; deterministic.
inline void growLabour(SqlConnection& db, const LabourSize& size = {})
{
    db.begin();
    try {
        const QList<qint64> cathegories = keysOf(db, QStringLiteral("select ID_Cathegory from Cathegory;"));
        const QList<qint64> reps = keysOf(db, QStringLiteral("select ID_Reps from Reps;"));
        const QList<qint64> dayLenths = keysOf(db, QStringLiteral("select ID_WorkDayLenth from WorkDayLenth;"));
        const QList<qint64> funds = keysOf(db, QStringLiteral("select ID_DayFund from DayFund;"));
        const QList<qint64> holidays = keysOf(db, QStringLiteral("select ID_LostDayUsed from LostDayUsed;"));
        const QList<qint64> losses = keysOf(db, QStringLiteral("select ID_LostDayMiscPC from LostDayMiscPC;"));
        if (cathegories.isEmpty() || reps.isEmpty() || dayLenths.isEmpty() || funds.isEmpty() || holidays.isEmpty() ||
            losses.isEmpty())
            throw DatabaseError(QStringLiteral("the plant has no labour reference data to grow from"));

        db.execute(QStringLiteral("insert into Depart (Name_Depart) values ('Участок массового обслуживания');"));
        const qint64 depart = db.lastInsertId();
        QList<qint64> crews;
        {
            SqlCommand crew(db, QStringLiteral("insert into Crew (Name_Crew, IDepart) values (:Name, :Depart);"));
            for (int i = 0; i < size.crews; ++i) {
                crew.run({QStringLiteral("Бригада обслуживания %1").arg(i + 1), depart});
                crews.append(db.lastInsertId());
            }
        }
        QList<qint64> types;
        {
            SqlCommand type(db, QStringLiteral("insert into DevType (Name_DevType, Mark_DevType) values (:Name, :Mark);"));
            for (int i = 0; i < size.types; ++i) {
                type.run({QStringLiteral("Прибор серии %1").arg(i / 10 + 1), QStringLiteral("М-%1").arg(i + 1)});
                types.append(db.lastInsertId());
            }
        }
        // Every pair, as the labour window keeps them.
        db.execute(QStringLiteral("INSERT INTO DevTypeCount ( IDevType, ICrew ) SELECT DevType.ID_DevType, Crew.ID_Crew "
                                  "FROM DevType, Crew WHERE (select count(idevtype) from devtypecount where idevtype =  "
                                  "DevType.ID_DevType and icrew =  Crew.ID_Crew)=0;"));
        SqlCommand count(db, QStringLiteral("update DevTypeCount set [Count] = :Count where IDevType = :Type and ICrew = :Crew;"));
        SqlCommand row(db, QStringLiteral("insert into DevRep (IDevType, ICrew, IRep, R_No, RT_Mon, RT, RT_PC, RCount) values "
                                          "(:Type, :Crew, :Rep, :No, :Mon, :RT, :PC, :Volume);"));
        SqlCommand share(db, QStringLiteral("insert into RepCath (IDevRep, ICathegory, [Value]) values (:Row, :Cath, :Value);"));
        const int sharesPerRow = std::max(1, size.shares / std::max(1, size.serviceRows));
        for (int i = 0; i < size.serviceRows; ++i) {
            const qint64 type = types[i % types.size()];
            const qint64 crew = crews[(i / types.size() + i) % crews.size()];
            const int devices = 1 + i % 40;
            const double months = (i % 3 == 0) ? 12 : (i % 3 == 1) ? 6 : 24;
            const double perYear = 12 / months;
            const double hours = 0.5 + (i % 7) * 0.25;
            const double volume = std::round(devices * perYear * hours * 1e6) / 1e6;
            count.run({devices, type, crew});
            row.run({type, crew, reps[i % reps.size()], 1 + i % 3, months, perYear, hours, volume});
            const qint64 rowId = db.lastInsertId();
            for (int s = 0; s < sharesPerRow; ++s)
                share.run({rowId, cathegories[(i + s) % cathegories.size()],
                           std::round(volume / sharesPerRow * 1e6) / 1e6});
        }
        SqlCommand member(db, QStringLiteral("insert into CrewList (ICrew, ICathegory, ProfNum, ProfNaimen, IWorkDayLenth, "
                                             "SmenaNum, IDayFundNom, ILostDayUsed, ILostDayMiscPC, DayFundP1E, [No]) values "
                                             "(:Crew, :Cath, 1, :Prof, :Lenth, 1, :Fund, :Holiday, :Losses, :P1E, :No);"));
        for (int i = 0; i < size.members; ++i)
            member.run({crews[i % crews.size()], cathegories[i % cathegories.size()],
                        QStringLiteral("Слесарь по КИПиА"), dayLenths[i % dayLenths.size()], funds[i % funds.size()],
                        holidays[i % holidays.size()], losses[i % losses.size()], 1700 + i % 90, 1 + i / crews.size()});
        // A copy made before the program knew all of its indexes gets them, as an upgrade would give them.
        SchemaIndexes::create(db);
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

// Path of the labour-heavy copy, made from the big plant when missing.
inline QString labourPlant()
{
    const QString path = qEnvironmentVariable("INSTREL_LABOUR_DB", QStringLiteral("/tmp/instrel-bench/Labour.db"));
    if (QFile::exists(path))
        return path;
    const QString big = bigPlant();
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(big, partial)) {
        std::fprintf(stderr, "FAIL: could not copy %s\n", qPrintable(big));
        std::exit(1);
    }
    std::printf("growing %s into the labour-heavy plant ...\n", qPrintable(path));
    std::fflush(stdout);
    {
        SqlConnection db;
        db.setDatabaseFile(partial);
        growLabour(db);
    }
    QFile::rename(partial, path);
    return path;
}

} // namespace bench
