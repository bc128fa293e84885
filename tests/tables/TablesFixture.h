#pragma once

#include "data/DMFrm.h"
#include "support/MessageRecorder.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

// A small Pasport table in Device.db of a temporary current directory, with the data module open on
// it: the columns the table window tests need, with nulls, empty texts, a number and dates.
class TablesFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        createSqliteFile(dir.file("Device.db"),
                         {"create table Pasport (ID_Device integer primary key, ANumber varchar(50), "
                          "Name_DevType varchar(50), Name_Location varchar(50), Price float, SetDate datetime)",
                          "insert into Pasport values (1, 'A-1', 'Манометр', 'Цех 1', 10, '2024-03-05 00:00:00')",
                          "insert into Pasport values (2, 'A-2', 'Манометр', 'Цех 2', 20, '2024-03-05 00:00:00')",
                          "insert into Pasport values (3, 'A-3', 'Термометр', 'Цех 1', 10, '2024-04-01 00:00:00')",
                          "insert into Pasport values (4, 'A-4', 'Манометр', 'Цех 1', 30, null)",
                          "insert into Pasport values (5, 'A''5', null, 'Цех 2', null, '2024-04-01 00:00:00')",
                          "insert into Pasport values (6, 'A-6', '', null, 20, null)"});
        dm = std::make_unique<TDM>();
    }
    void TearDown() override { dm.reset(); }

    SqlConnection& connection() { return *dm->ADOConnection(); }

    TempWorkDir dir;
    MessageRecorder messages;
    std::unique_ptr<TDM> dm;
};
