#pragma once

#include "data/Clock.h"
#include "data/DMFrm.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "support/MessageRecorder.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QDateTime>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

// A database of the program's version in a temporary current directory, with the data module on it
// and the clock fixed on 15 June 2025, 10:30. plant() adds a small plant:
// - department 1 "Цех КИП" with crews 1 "Бригада 1" and 2 "Бригада 2"; crew 3 "Без цеха" has none;
// - services 1 "Поверка" (П), 2 "Ремонт" (Р);
// - types 1 "Манометр" / "МП-100" and 2 "Термометр" / "ТС-1";
// - intervals of type 1: 1 = crew 1 Поверка 2.15, 2 = crew 1 Ремонт 12, 3 = crew 2 Поверка empty;
// - locations 1 "Цех 1" (places 1 "Щит 1", 2 "Щит 2") and 2 "Цех 2" (place 3 "Щит 3"); states 1, 2;
// - devices 1 "A-1" (type 1, Цех 1 / Щит 1, crew 1, services 1 and 2) and 2 "A-2" (type 1, no
//   crews, no services) and 3 "A-3" (no type).
class DevicesFixture : public ::testing::Test {
protected:
    static QDateTime fixedNow() { return QDateTime(QDate(2025, 6, 15), QTime(10, 30)); }

    void SetUp() override
    {
        Clock::fix(fixedNow());
        TestDatabase::createUpgradedEmptyDatabase(dir.path());
        dm = std::make_unique<TDM>();
    }
    void TearDown() override
    {
        dm.reset();
        Clock::fix(QDateTime());
    }

    SqlConnection& connection() { return *dm->ADOConnection(); }
    void run(const QString& statement) { connection().execute(statement); }
    QVariant scalar(const QString& statement) { return connection().scalar(statement); }
    int count(const QString& statement) { return scalar(statement).toInt(); }
    // A value as the file stores it ("2025-06-15 10:30:00" for a date), not as the dataset reads it;
    // `tail` is the statement after "select <column>".
    QVariant stored(const QString& column, const QString& tail)
    {
        const QVariant text = scalar(QString("select replace(%1, ' ', '|') %2").arg(column, tail));
        return text.isNull() ? text : QVariant(text.toString().replace('|', ' '));
    }

    void plant()
    {
        for (const char* statement : {
                 "insert into Depart (ID_Depart, Name_Depart) values (1, 'Цех КИП')",
                 "insert into Crew (ID_Crew, Name_Crew, IDepart) values (1, 'Бригада 1', 1), (2, 'Бригада 2', 1), "
                 "(3, 'Без цеха', null)",
                 "insert into Reps (ID_Reps, Name_Reps, Short_Reps) values (1, 'Поверка', 'П'), (2, 'Ремонт', 'Р')",
                 "insert into DevType (ID_DevType, Name_DevType, Mark_DevType) values (1, 'Манометр', 'МП-100'), "
                 "(2, 'Термометр', 'ТС-1')",
                 "insert into DevRep (ID_DevRep, IDevType, ICrew, IRep, RT_Mon) values (1, 1, 1, 1, 2.15), "
                 "(2, 1, 1, 2, 12), (3, 1, 2, 1, null)",
                 "insert into Location (ID_Location, Name_Location) values (1, 'Цех 1'), (2, 'Цех 2')",
                 "insert into LocSet (ID_LocSet, Name_LocSet, ILocation) values (1, 'Щит 1', 1), (2, 'Щит 2', 1), "
                 "(3, 'Щит 3', 2)",
                 "insert into State (ID_State, Name_State) values (1, 'В работе'), (2, 'В ремонте')",
                 "insert into Device (ID_Device, IDevType, ANumber, ZNumber, ILocation, ILocSet, IState, SetPlace) "
                 "values (1, 1, 'A-1', 'Z-1', 1, 1, 1, 'у входа'), (2, 1, 'A-2', 'Z-2', 2, null, null, null), "
                 "(3, null, 'A-3', null, null, null, null, null)",
                 "insert into DevCrew (ID_DevCrew, IDevice, ICrew) values (1, 1, 1)",
                 "insert into NextRep (ID_NextRep, IDevice, IDevRep, LastRep, NextRep) values "
                 "(1, 1, 1, '2025-01-01 00:00:00', '2025-03-16 00:00:00'), (2, 1, 2, null, null)",
             })
            run(QString::fromUtf8(statement));
    }

    TempWorkDir dir;
    MessageRecorder messages;
    std::unique_ptr<TDM> dm;
};
