#pragma once

#include "data/DMFrm.h"
#include "data/SqlConnection.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QVariant>
#include <gtest/gtest.h>

// An upgraded database with a small labour plant: two crews of one department and a crew without a
// department, two device types, three staff categories, two services, service rows and shares of
// the first crew, and its members. The keys are kept for the tests.
class LabourFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestDatabase::createUpgradedEmptyDatabase(dir.path());
        depart = insert("insert into Depart (Name_Depart) values ('Цех КИП')");
        crew1 = insert(QStringLiteral("insert into Crew (Name_Crew, IDepart) values ('Бригада 1', %1)").arg(depart));
        crew2 = insert(QStringLiteral("insert into Crew (Name_Crew, IDepart) values ('Бригада 2', %1)").arg(depart));
        crewAlone = insert("insert into Crew (Name_Crew) values ('Без подразделения')");
        grade3 = insert("insert into Cathegory (Name_Cathegory, Cathegory) values ('Слесарь', 3)");
        grade4 = insert("insert into Cathegory (Name_Cathegory, Cathegory) values ('Слесарь', 4)");
        grade5 = insert("insert into Cathegory (Name_Cathegory, Cathegory) values ('Наладчик', 5)");
        verification = insert("insert into Reps (Name_Reps, Short_Reps) values ('Поверка', 'П')");
        repair = insert("insert into Reps (Name_Reps, Short_Reps) values ('Ремонт', 'Р')");
        gauge = insert("insert into DevType (Name_DevType, Mark_DevType) values ('Манометр', 'МП-100')");
        thermometer = insert("insert into DevType (Name_DevType, Mark_DevType) values ('Термометр', 'ТС-1')");
        run("insert into DevTypeCount (IDevType, ICrew, [Count]) select ID_DevType, ID_Crew, null from DevType, Crew");
        run(QStringLiteral("update DevTypeCount set [Count] = 10 where IDevType = %1 and ICrew = %2").arg(gauge).arg(crew1));
        gaugeCheck = serviceRow(gauge, crew1, verification, 1, 12, 1, 2, 20);
        gaugeRepair = serviceRow(gauge, crew1, repair, 2, 24, 0.5, 10, 50);
        share(gaugeCheck, grade4, 600);
        share(gaugeCheck, grade5, 100);
        share(gaugeRepair, grade4, 1158.8);
        member(crew1, grade4, 1760, 1);
        member(crew1, grade3, 1700, 2);
    }

    qint64 insert(const QString& statement)
    {
        db().execute(statement);
        return db().lastInsertId();
    }
    void run(const QString& statement) { db().execute(statement); }
    QVariant scalar(const QString& statement) { return db().scalar(statement); }
    double number(const QString& statement) { return scalar(statement).toDouble(); }

    qint64 serviceRow(qint64 type, qint64 crew, qint64 rep, int no, double rtMon, double rt, double rtPc, double rCount)
    {
        return insert(QStringLiteral("insert into DevRep (IDevType, ICrew, IRep, R_No, RT_Mon, RT, RT_PC, RCount) "
                                     "values (%1, %2, %3, %4, %5, %6, %7, %8)")
                          .arg(type)
                          .arg(crew)
                          .arg(rep)
                          .arg(no)
                          .arg(rtMon)
                          .arg(rt)
                          .arg(rtPc)
                          .arg(rCount));
    }
    qint64 share(qint64 devRep, qint64 cathegory, double value)
    {
        return insert(QStringLiteral("insert into RepCath (IDevRep, ICathegory, [Value]) values (%1, %2, %3)")
                          .arg(devRep)
                          .arg(cathegory)
                          .arg(value));
    }
    // A member with a category (0: none) and an effective fund of one employee.
    qint64 member(qint64 crew, qint64 cathegory, double fund, int no)
    {
        return insert(QStringLiteral("insert into CrewList (ICrew, ICathegory, DayFundP1E, [No]) values (%1, %2, %3, %4)")
                          .arg(crew)
                          .arg(cathegory ? QString::number(cathegory) : QStringLiteral("null"))
                          .arg(fund)
                          .arg(no));
    }

    SqlConnection& db() { return *dm.ADOConnection(); }

    TempWorkDir dir;
    TDM dm;
    MessageRecorder messages;
    qint64 depart = 0, crew1 = 0, crew2 = 0, crewAlone = 0;
    qint64 grade3 = 0, grade4 = 0, grade5 = 0;
    qint64 verification = 0, repair = 0;
    qint64 gauge = 0, thermometer = 0;
    qint64 gaugeCheck = 0, gaugeRepair = 0;
};
