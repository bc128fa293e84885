// Devices brought in from a table: the mapping proposed from the header, the form's rules held row by
// row, duplicates, and the one transaction, on a file and on a server.

#include "data/Clock.h"
#include "data/ResultSet.h"
#include "data/SqlConnection.h"
#include "devices/import/DeviceImport.h"
#include "devices/import/TableSource.h"
#include "support/EngineDatabase.h"
#include "support/InitDbTool.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A small plant: department "Цех КИП" with crews "Бригада 1" and "Бригада 2" and the crew "Без цеха"
// outside any department; services Поверка (П) and Ремонт (Р); type 1 Манометр МП-100 with the
// intervals Поверка 2.15 and Ремонт 12 for Бригада 1; type 2 Термометр ТС-1 without intervals;
// locations Цех 1 (Щит 1, Щит 2) and Цех 2; state "В работе"; device 1 Z-1 of type 1 in Цех 1.
const char* const kPlant[] = {
    "insert into Depart (ID_Depart, Name_Depart) values (1, 'Цех КИП')",
    "insert into Crew (ID_Crew, Name_Crew, IDepart) values (1, 'Бригада 1', 1), (2, 'Бригада 2', 1), "
    "(3, 'Без цеха', null)",
    "insert into Reps (ID_Reps, Name_Reps, Short_Reps) values (1, 'Поверка', 'П'), (2, 'Ремонт', 'Р')",
    "insert into DevType (ID_DevType, Name_DevType, Mark_DevType) values (1, 'Манометр', 'МП-100'), "
    "(2, 'Термометр', 'ТС-1')",
    "insert into DevRep (ID_DevRep, IDevType, ICrew, IRep, RT_Mon) values (1, 1, 1, 1, 2.15), (2, 1, 1, 2, 12)",
    "insert into Location (ID_Location, Name_Location) values (1, 'Цех 1'), (2, 'Цех 2')",
    "insert into LocSet (ID_LocSet, Name_LocSet, ILocation) values (1, 'Щит 1', 1), (2, 'Щит 2', 1)",
    "insert into State (ID_State, Name_State) values (1, 'В работе')",
    "insert into Device (ID_Device, IDevType, ANumber, ZNumber, ILocation, ILocSet, IState, Comments) "
    "values (1, 1, 'A-1', 'Z-1', 1, 1, 1, 'старый')",
};

class DeviceImportTest : public OnBothEngines {
protected:
    void SetUp() override
    {
        OnBothEngines::SetUp();
        if (setUpStopped())
            return;
        Clock::fix(QDateTime(QDate(2025, 6, 15), QTime(10, 30)));
        database = makeDatabase(EngineDatabase::Content::UpgradedEmpty, dir.path());
        if (setUpStopped())
            return;
        database->connect(db);
        for (const char* statement : kPlant)
            db.execute(QString::fromUtf8(statement));
        EngineCatalogue::advanceIdentities(db);
    }
    void TearDown() override
    {
        db.close();
        database.reset();
        Clock::fix(QDateTime());
    }

    ImportResult importCsv(const char* text, const ImportOptions& options = {})
    {
        const QString path = dir.filePath(QStringLiteral("in%1.csv").arg(++files));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        QString error;
        auto source = openTableSource(path, {}, error);
        EXPECT_TRUE(source) << error.toStdString();
        QStringList header;
        EXPECT_TRUE(DeviceImport::readHeader(*source, 0, header, error));
        return DeviceImport(db, ImportMapping(header), options).run(*source);
    }
    int count(const QString& statement) { return db.scalar(statement).toInt(); }
    QString text(const QString& statement) { return db.scalar(statement).toString(); }
    // Everything a failed import must leave as it was.
    QList<int> counts()
    {
        QList<int> all;
        for (const char* table : {"Device", "DevCrew", "NextRep", "EditHist", "MovHist", "DevType", "Crew", "Reps",
                                  "DevRep", "Location", "LocSet", "State"})
            all.append(count(QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table))));
        return all;
    }
    // "row/column/reason" of each issue, for comparing a whole report.
    static QStringList issues(const ImportResult& result)
    {
        QStringList lines;
        for (const ImportIssue& i : result.issues)
            lines.append(QStringLiteral("%1/%2/%3").arg(i.row).arg(i.column, i.reason));
        return lines;
    }

    QTemporaryDir dir;
    std::unique_ptr<EngineDatabase> database;
    SqlConnection db;
    int files = 0;
};

const char* const kGoodFile =
    "Заводской номер;Инвентарный номер;Тип;Марка;Расположение;Место установки;Состояние;Дата установки;"
    "Комментарий;Обслуживание;Интервал;Бригада;Дата предыдущего обслуживания;Посторонний\n"
    "Z-10; A-10 ;манометр;мп-100;ЦЕХ 1;щит 2;в работе;31.01.2025;\"O'Neil; --\";П;2,15;бригада 1;01.01.2025;x\n"
    "Z-10;A-10;Манометр;МП-100;Цех 1;Щит 2;В работе;31.01.2025;\"O'Neil; --\";р;12;Бригада 1;2025-01-31;y\n"
    "Z-11;;Манометр;МП-100;;;;;🙂 Ёлка;;;;;\n";

} // namespace

TEST(ImportMapping, ProposedFromCaptionsAndNamesTheRestListed)
{
    const ImportMapping mapping(QStringList{"  заводской НОМЕР ", "ANumber", "Интервал (периодичность) обслуживания",
                                            "Name_DevType", "Тип", "Цвет", ""});
    EXPECT_EQ(mapping.columnOf(ImportField::ZNumber), 0);
    EXPECT_EQ(mapping.columnOf(ImportField::ANumber), 1);
    EXPECT_EQ(mapping.columnOf(ImportField::Interval), 2);
    EXPECT_EQ(mapping.columnOf(ImportField::TypeName), 3) << "the first column of a field wins";
    EXPECT_EQ(mapping.unmappedColumns(), (QStringList{"Тип", "Цвет", "(столбец 7)"}));

    ImportMapping changed = mapping;
    changed.setField(5, ImportField::Comments);
    changed.setField(4, ImportField::ZNumber); // taken from column 0
    ImportMapping restored(mapping.header());
    ASSERT_TRUE(restored.applyText(changed.toText()));
    EXPECT_EQ(restored.columnOf(ImportField::Comments), 5);
    EXPECT_EQ(restored.columnOf(ImportField::ZNumber), 4);
    EXPECT_FALSE(restored.fieldOf(0));
    EXPECT_FALSE(restored.applyText(QStringLiteral("ZNumber|ANumber"))) << "another number of columns";
    EXPECT_EQ(ImportMapping::headerKey({"Тип", "Номер"}), ImportMapping::headerKey({" тип", "НОМЕР"}));
    EXPECT_NE(ImportMapping::headerKey({"Тип", "Номер"}), ImportMapping::headerKey({"Номер", "Тип"}));
}

TEST_P(DeviceImportTest, DevicesCrewsServicesAndLogsStoredByTheFormsRules)
{
    const ImportResult result = importCsv(kGoodFile);
    ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    EXPECT_TRUE(issues(result).isEmpty()) << issues(result).join('\n').toStdString();
    EXPECT_TRUE(result.stored);
    EXPECT_EQ(result.devicesAdded, 2);
    EXPECT_EQ(result.servicesAdded, 2) << "the repeated row adds the device's second service";
    EXPECT_EQ(result.crewsAdded, 1);
    EXPECT_TRUE(result.created.isEmpty());

    const QString z10 = QStringLiteral("(select ID_Device from Device where ZNumber = 'Z-10')");
    EXPECT_EQ(text("select Name_LocSet || '/' || Name_Location || '/' || Name_State || '/' || ANumber from Pasport "
                   "where ZNumber = 'Z-10'"),
              QStringLiteral("Щит 2/Цех 1/В работе/A-10"));
    EXPECT_EQ(text("select Comments from Device where ZNumber = 'Z-10'"), QStringLiteral("O'Neil; --"));
    EXPECT_EQ(text("select Comments from Device where ZNumber = 'Z-11'"), QStringLiteral("🙂 Ёлка"));
    EXPECT_EQ(db.scalar("select SetDate from Device where ZNumber = 'Z-10'").toDate(), QDate(2025, 1, 31));
    // 2.15 is two months and fifteen days; 12 from 31 January is a year on.
    EXPECT_EQ(db.scalar("select NextRep from NextRep where IDevRep = 1 and IDevice = " + z10).toDate(),
              QDate(2025, 3, 16));
    EXPECT_EQ(db.scalar("select NextRep from NextRep where IDevRep = 2 and IDevice = " + z10).toDate(),
              QDate(2026, 1, 31));
    EXPECT_EQ(count("select count(*) from DevCrew where ICrew = 1 and IDevice = " + z10), 1);
    EXPECT_EQ(count("select count(*) from EditHist where IVictim = 1 and ChangeDate = '2025-06-15 10:30:00'"), 2);
    EXPECT_FALSE(text("select ChangedBy from EditHist where ZNumber = 'Z-10'").isEmpty()) << "the user's name";
}

TEST_P(DeviceImportTest, ARefusedRowStoresNothingAndEveryReasonIsReported)
{
    db.execute("insert into DevType (Name_DevType, Mark_DevType) values ('Манометр', 'МП-100')");
    const QList<int> before = counts();
    const ImportResult result = importCsv(
        "Заводской номер;Тип;Марка;Дата установки;Интервал;Обслуживание;Бригада;Комментарий;Состояние\n"
        "N-1;Термометр;ТС-1;;;;;;\n"               // 2: good, but must not be stored
        "N-2;Термометр;ТС-1;31.02.2027;;;;;\n"     // 3
        "N-3;Термометр;ТС-1;2027-13-01;;;;;\n"     // 4
        "N-4;Манометр;МП-100;;;;;;\n"              // 5: the type exists twice
        "N-5;Термометр;ТС-1;;-3;П;Бригада 1;;\n"   // 6
        "N-6;;;;;;;;\n"                            // 7
        "N-7;Термометр;ТС-1;;;П;Бригада 1;;\n"     // 8: no such interval of the type
        "N-8;Термометр;ТС-1;;;П;Без цеха;;\n"      // 9: a crew outside a department
        "N-9;Термометр;ТС-1;;1 500;П;;;\n"         // 10: a service without a crew
        "N-10;Термометр;ТС-1;;;;;;Списан\n"        // 11: not in the list
        "N-11;Манометр;МП-100;;;;;;\n");
    EXPECT_FALSE(result.stored);
    EXPECT_EQ(result.refused, 10);
    const QStringList got = issues(result);
    const QStringList expected{
        "3/Дата установки/даты 31.02.2027 не существует",
        "4/Дата установки/даты 2027-13-01 не существует",
        "5/Тип/тип «Манометр» с этой маркой в списке не один (коды 1, 3)",
        "6/Интервал/интервал -3 меньше нуля",
        "7/Тип/не указан тип устройства",
        "8/Обслуживание/у типа «Термометр» нет обслуживания «П» для бригады «Бригада 1»",
        "9/Бригада/бригада «Без цеха» не входит ни в одно подразделение",
        "10/Бригада/не указана бригада, выполняющая обслуживание",
        "11/Состояние/«Списан» нет в списке «Состояния»",
        "12/Тип/тип «Манометр» с этой маркой в списке не один (коды 1, 3)",
    };
    EXPECT_EQ(got, expected) << got.join('\n').toStdString();
    EXPECT_EQ(counts(), before);

    QBuffer report;
    report.open(QIODevice::WriteOnly);
    DeviceImport::writeReport(result.issues, report);
    EXPECT_TRUE(report.data().startsWith("\xEF\xBB\xBF")) << "a byte order mark, for spreadsheet programs";
    EXPECT_TRUE(QString::fromUtf8(report.data()).contains(QStringLiteral("Строка;Столбец;Причина;Итог\r\n3;Дата установки;")));
}

TEST_P(DeviceImportTest, NumbersSizesAndDatesAsUsersWriteThem)
{
    ImportOptions create;
    create.createMissing = true;
    const QString longText = QString(10000, QLatin1Char('x'));
    const QByteArray file = QStringLiteral(
                                "Заводской номер;Тип;Обслуживание;Интервал;Бригада;Подразделение;Комментарий;"
                                "Дата предыдущего обслуживания\n"
                                "K-1;Датчик;ТО;1,5;Бригада 1;;;01.01.2025\n"
                                "K-2;Датчик;ТО2;1.5;Бригада 1;;;1.1.25\n"
                                "K-3;Датчик;ТО3;1 500;Новая;Цех 9;;\n"
                                "K-4;Датчик;;;;;%1;\n"
                                "K-5;Датчик;ТО4;0;Бригада 1;;;0\n")
                                .arg(longText)
                                .toUtf8();
    ImportResult result = importCsv(file.constData(), create);
    EXPECT_EQ(issues(result), (QStringList{"5/Комментарий/длиннее 128 знаков (10000)",
                                           "6/Дата предыдущего обслуживания/«0» не дата (ожидается ДД.ММ.ГГГГ)"}));
    // Without the two bad rows the file goes in, with what it named added to the lists.
    const QByteArray good = file.left(file.indexOf("K-4"));
    result = importCsv(good.constData(), create);
    ASSERT_TRUE(result.stored) << issues(result).join('\n').toStdString() << result.error.toStdString();
    EXPECT_EQ(db.scalar("select RT_Mon from DevRep where IRep = (select ID_Reps from Reps where Short_Reps = 'ТО3')")
                  .toDouble(),
              1500.0);
    EXPECT_EQ(count("select count(*) from DevRep where RT_Mon = 1.5"), 2) << "1,5 and 1.5 are the same";
    // 1.5 is one month and fifty days.
    EXPECT_EQ(db.scalar("select NextRep from NextRep where IDevice = (select ID_Device from Device where ZNumber = "
                        "'K-1')")
                  .toDate(),
              QDate(2025, 3, 23));
    EXPECT_EQ(text("select Name_Depart from Crew inner join Depart on ID_Depart = IDepart where Name_Crew = 'Новая'"),
              QStringLiteral("Цех 9"));
    EXPECT_TRUE(result.created.contains(QStringLiteral("Типы: Датчик")));
    EXPECT_TRUE(result.created.contains(QStringLiteral("Бригады: Новая")));
}

TEST_P(DeviceImportTest, DuplicatesSkippedOrUpdatingOnlyMappedColumns)
{
    const char* file = "Заводской номер;Тип;Марка;Расположение\n"
                       "z-1;Манометр;МП-100;Цех 2\n"   // the stored device 1, letter case aside
                       "Q-1;Манометр;МП-100;Цех 1\n"
                       "Q-1;Манометр;МП-100;Цех 2\n";  // twice in the file, other values
    ImportResult result = importCsv(file);
    EXPECT_TRUE(result.stored);
    EXPECT_EQ(result.devicesAdded, 1);
    EXPECT_EQ(result.skipped, 2);
    EXPECT_EQ(issues(result),
              (QStringList{"2/Заводской номер/устройство с заводским номером «z-1» и типом «Манометр» уже есть (код 1)",
                           "4/Заводской номер/заводской номер «Q-1» с типом «Манометр» уже был в строке 3"}));
    EXPECT_EQ(count("select ILocation from Device where ID_Device = 1"), 1);

    ImportOptions update;
    update.updateExisting = true;
    result = importCsv("Заводской номер;Тип;Марка;Расположение;Комментарий\nZ-1;Манометр;МП-100;Цех 2;\n", update);
    ASSERT_TRUE(result.stored) << issues(result).join('\n').toStdString();
    EXPECT_EQ(result.devicesUpdated, 1);
    EXPECT_EQ(count("select ILocation from Device where ID_Device = 1"), 2);
    EXPECT_TRUE(db.scalar("select ILocSet from Device where ID_Device = 1").isNull())
        << "the place of the old location stays behind";
    EXPECT_EQ(text("select Comments from Device where ID_Device = 1"), QStringLiteral("старый"))
        << "an empty cell changes nothing";
    EXPECT_EQ(text("select ANumber from Device where ID_Device = 1"), QStringLiteral("A-1")) << "not mapped";
    EXPECT_EQ(count("select count(*) from EditHist where IDevice = 1 and IVictim = 2"), 1);
    EXPECT_EQ(count("select count(*) from MovHist where IDevice = 1 and INewLocation = 2"), 1);
}

TEST_P(DeviceImportTest, DryRunCancelAndDatabaseFailureLeaveEverythingAsItWas)
{
    const QList<int> before = counts();
    ImportOptions dry;
    dry.dryRun = true;
    ImportResult result = importCsv(kGoodFile, dry);
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_EQ(result.devicesAdded, 2) << "the dry run counts what the import would store";
    EXPECT_FALSE(result.stored);
    EXPECT_EQ(counts(), before);

    // A failure of the database after rows were written: the update of a stored device.
    EngineCatalogue::refuseUpdates(db, QStringLiteral("Device"));
    ImportOptions update;
    update.updateExisting = true;
    result = importCsv("Тип;Марка;Заводской номер;Комментарий\nМанометр;МП-100;NEW-1;a\nМанометр;МП-100;Z-1;b\n", update);
    EXPECT_FALSE(result.stored);
    EXPECT_TRUE(result.error.contains(QStringLiteral("refused"))) << result.error.toStdString();
    EXPECT_EQ(counts(), before);

    // Cancel from the progress bar.
    QByteArray many("Тип;Заводской номер\n");
    for (int i = 0; i < 600; ++i)
        many += "Термометр;C-" + QByteArray::number(i) + "\n";
    const QString path = dir.filePath("many.csv");
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(many);
    out.close();
    QString error;
    auto source = openTableSource(path, {}, error);
    QStringList header;
    ASSERT_TRUE(DeviceImport::readHeader(*source, 0, header, error));
    result = DeviceImport(db, ImportMapping(header), {}).run(*source, [](double, int rows) { return rows < 300; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(counts(), before);
}

TEST_P(DeviceImportTest, FilesWithoutRowsOrWithoutATypeColumnAreRefusedWhole)
{
    EXPECT_EQ(importCsv("Тип;Заводской номер\n").error, QStringLiteral("в файле нет строк с данными, только заголовок"));
    EXPECT_TRUE(importCsv("Заводской номер\nZ-5\n").error.contains(QStringLiteral("«Тип»")));
}

// The tool's exit codes tell a script what happened: 0 stored, 4 rows refused (nothing stored), 1 an
// error, 2 wrong arguments.
TEST_P(DeviceImportTest, ToolExitCodesAndReport)
{
    if (onServer())
        GTEST_SKIP() << "the tool's handling of a server is the same code as the file's";
    db.close();
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("good.csv", "Тип;Марка;Заводской номер\nМанометр;МП-100;T-1\n");
    write("bad.csv", "Тип;Марка;Заводской номер;Дата установки\nМанометр;МП-100;T-2;31.02.2027\n");
    write("broken.xlsx", "PK\x03\x04 not really");
    const QString base = database->location();
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* says;
    };
    const QList<Case> cases{
        {{"--import-devices", "bad.csv", base, "--report", "report.csv"}, 4, "Строка 2, «Дата установки»: даты 31.02.2027 не существует"},
        {{"--import-devices", "good.csv", base, "--check"}, 0, "ничего не записано"},
        {{"--import-devices", "good.csv", base}, 0, "Импорт выполнен"},
        {{"--import-devices", "broken.xlsx", base}, 1, "повреждён"},
        {{"--import-devices", "good.csv", "missing.db"}, 1, "нет"},
        {{"--import-devices", "good.csv"}, 2, "Использование"},
        {{"--import-devices", "good.csv", base, "--sheet", "x"}, 2, "Использование"},
    };
    for (const Case& c : cases) {
        const ToolRun run = initdb(c.arguments, dir.path());
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString() << run.err.toStdString();
        EXPECT_TRUE((run.out + run.err).contains(QString::fromUtf8(c.says))) << (run.out + run.err).toStdString();
    }
    EXPECT_TRUE(QFile::exists(dir.filePath("report.csv")));
    EXPECT_EQ(count("select count(*) from Device where ZNumber like 'T-%'"), 1);
}

INSTREL_ON_BOTH_ENGINES(DeviceImportTest);
