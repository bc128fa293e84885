#include "data/DMFrm.h"
#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/RefChecks.h"
#include "support/MessageRecorder.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "text/StrList.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

// Only the referring columns the checks read, plus the rows being deleted: no upgraded database
// needed to show which table a count comes from.
class RefChecksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        createSqliteFile(dir.file("Device.db"),
                         {"create table Reps (ID_Reps INTEGER PRIMARY KEY AUTOINCREMENT, Name_Reps varchar(50))",
                          "create table Crew (ID_Crew INTEGER PRIMARY KEY AUTOINCREMENT, Name_Crew varchar(240))",
                          "create table Device (ID_Device INTEGER PRIMARY KEY AUTOINCREMENT, IDevType int, ISystem int, IClass int, "
                          "IMere int, IDest int, IMarg int, IState int, IScale int, IGrade int, ILocation int, ILocSet int)",
                          "create table DevType (ID_DevType INTEGER PRIMARY KEY AUTOINCREMENT, INaim int, IPrec int, "
                          "IConstruct int, IMaker int)",
                          "create table MovHist (IDevice int, ILastState int, INewState int, ILastLocation int, "
                          "INewLocation int, ILastLocSet int, INewLocSet int)",
                          "create table RefusalParam (ID_Param INTEGER PRIMARY KEY AUTOINCREMENT, IDimention int)",
                          "create table RefusParamValue (ID_RefParVal INTEGER PRIMARY KEY AUTOINCREMENT, IParam int)",
                          "create table DevRep (ID_DevRep INTEGER PRIMARY KEY AUTOINCREMENT, IDevType int, ICrew int, IRep int)",
                          "create table NextRep (ID_NextRep INTEGER PRIMARY KEY AUTOINCREMENT, IDevice int, IDevRep int)",
                          "create table DevCrew (ID_DevCrew INTEGER PRIMARY KEY AUTOINCREMENT, IDevice int, ICrew int)",
                          "create table Refusal (ID_Refusal INTEGER PRIMARY KEY AUTOINCREMENT, IDevice int, IDocument int, "
                          "IGroupNaimen int, INaimen int)",
                          "create table Complect (ID_Complect INTEGER PRIMARY KEY AUTOINCREMENT, IRoot int, IDevice int)",
                          "create table RepCath (ID_RepCath INTEGER PRIMARY KEY AUTOINCREMENT, IDevRep int, ICathegory int)",
                          "create table NormState (ID_NormState INTEGER PRIMARY KEY AUTOINCREMENT, ICathegory int, ICrew int)",
                          "create table DevTypeCount (ID_DevTypeCount INTEGER PRIMARY KEY AUTOINCREMENT, IDevType int, "
                          "ICrew int, [Count] int)",
                          "create table CrewList (ID_CrewList INTEGER PRIMARY KEY AUTOINCREMENT, ICrew int, ICathegory int, "
                          "IWorkDayLenth int, IDayFundNom int, ILostDayUsed int, ILostDayMiscPC int)"});
    }

    void TearDown() override { setLanguageIndex(INSTREL_LANGUAGE); }

    void run(const QString& statement) { dm.ADOConnection()->execute(statement); }

    // `times` rows of `table` whose `column` holds `key`.
    void refer(const QString& table, const QString& column, int key, int times)
    {
        for (int i = 0; i < times; ++i)
            run(QStringLiteral("insert into %1 (%2) values (%3)").arg(table, column).arg(key));
    }

    static QString line(Str message, int count) { return FormatText(message, count) + "\r"; }

    TempWorkDir dir;
    TDM dm;
    MessageRecorder messages;
};

TEST_F(RefChecksTest, CountReferencesRunsItsStatementOnTheScratchQueryAndClosesIt)
{
    refer("DevCrew", "ICrew", 4, 3);
    refer("DevCrew", "ICrew", 5, 1);
    EXPECT_EQ(CountReferences("DevCrew", "ICrew", 6), 0);
    EXPECT_EQ(CountReferences("DevCrew", "ICrew", 4), 3);
    EXPECT_EQ(dm.qry()->sql(), " SELECT count(*) as [count]  FROM DevCrew WHERE DevCrew.ICrew = 4 ;");
    EXPECT_FALSE(dm.qry()->isActive());
}

// Every check, every referring table with its own count (1, 2, 3, ... in table order) and a row of
// another key beside it: the lines come in the check's order, each with its table's message and
// count, in either language.
struct CheckCase {
    const char* name;
    ReferenceCheck check;
    struct Ref {
        const char* table;
        const char* column;
        Str message;
    };
    std::vector<Ref> refs;
};

const std::vector<CheckCase>& checkCases()
{
    static const std::vector<CheckCase> cases = {
        {"service", CheckServiceRefs, {{"DevRep", "IRep", Str::RefCheckServiceServiceRows}}},
        {"category",
         CheckCategoryRefs,
         {{"CrewList", "ICathegory", Str::RefCheckCategoryCrewList},
          {"RepCath", "ICathegory", Str::RefCheckCategoryTarifications},
          {"NormState", "ICathegory", Str::RefCheckCategoryNormState}}},
        {"losses", CheckLossRefs, {{"CrewList", "ILostDayMiscPC", Str::RefCheckLossCrewList}}},
        {"holiday", CheckHolidayRefs, {{"CrewList", "ILostDayUsed", Str::RefCheckHolidayCrewList}}},
        {"fund", CheckFundRefs, {{"CrewList", "IDayFundNom", Str::RefCheckFundCrewList}}},
        {"day length", CheckDayLengthRefs, {{"CrewList", "IWorkDayLenth", Str::RefCheckDayLengthCrewList}}},
        {"service row",
         CheckServiceRowRefs,
         {{"NextRep", "IDevRep", Str::RefCheckServiceRowNextServices},
          {"RepCath", "IDevRep", Str::RefCheckServiceRowTarifications}}},
        {"device type",
         CheckDeviceTypeRefs,
         {{"Device", "IDevType", Str::RefCheckTypeDevices}, {"DevRep", "IDevType", Str::RefCheckTypeIntervals}}},
        {"device",
         CheckDeviceRefs,
         {{"DevCrew", "IDevice", Str::RefCheckDeviceCrews},
          {"NextRep", "IDevice", Str::RefCheckDeviceServices},
          {"Refusal", "IDevice", Str::RefCheckDeviceMalfunctions},
          {"Complect", "IDevice", Str::RefCheckDeviceKits}}},
    };
    return cases;
}

TEST_F(RefChecksTest, EveryCheckListsItsTablesInOrderWithTheirCountsInBothLanguages)
{
    const int key = 7;
    for (const CheckCase& c : checkCases()) {
        SCOPED_TRACE(c.name);
        for (const char* table : {"DevRep", "CrewList", "RepCath", "NormState", "NextRep", "Device", "DevCrew",
                                  "Refusal", "Complect"})
            run(QStringLiteral("delete from %1").arg(table));
        EXPECT_EQ(c.check(key), "");
        for (size_t i = 0; i < c.refs.size(); ++i) {
            refer(c.refs[i].table, c.refs[i].column, key, int(i) + 1);
            refer(c.refs[i].table, c.refs[i].column, key + 1, 5);
        }
        for (int language : {0, 1}) {
            setLanguageIndex(language);
            QString expected;
            for (size_t i = 0; i < c.refs.size(); ++i)
                expected += line(c.refs[i].message, int(i) + 1);
            EXPECT_EQ(c.check(key), expected) << "language " << language;
        }
        // Only the last table refers: its line alone, so no line hangs on the ones before it.
        for (size_t i = 0; i + 1 < c.refs.size(); ++i)
            run(QStringLiteral("delete from %1").arg(c.refs[i].table));
        EXPECT_EQ(c.check(key), line(c.refs.back().message, int(c.refs.size())));
    }
}

// The plain lists: each value is held by the devices, the types or the malfunction tables, and the
// shift log's old and new columns count a row once.
TEST_F(RefChecksTest, PlainListValuesInUseAreCountedPerReferringTable)
{
    struct ListCase {
        const char* name;
        ReferenceCheck check;
        const char* table;
        const char* column;
        Str message;
    };
    const ListCase cases[] = {
        {"System", CheckSystemRefs, "Device", "ISystem", Str::RefCheckValueDevices},
        {"Class", CheckClassRefs, "Device", "IClass", Str::RefCheckValueDevices},
        {"Mere", CheckMeasurementRefs, "Device", "IMere", Str::RefCheckValueDevices},
        {"Dest", CheckAssignmentRefs, "Device", "IDest", Str::RefCheckValueDevices},
        {"Marg", CheckRangeRefs, "Device", "IMarg", Str::RefCheckValueDevices},
        {"State", CheckStateRefs, "Device", "IState", Str::RefCheckValueDevices},
        {"Scale", CheckScaleRefs, "Device", "IScale", Str::RefCheckValueDevices},
        {"Grade", CheckGraduationRefs, "Device", "IGrade", Str::RefCheckValueDevices},
        {"Location", CheckLocationRefs, "Device", "ILocation", Str::RefCheckValueDevices},
        {"LocSet", CheckPlaceRefs, "Device", "ILocSet", Str::RefCheckValueDevices},
        {"Naim", CheckTypeNameRefs, "DevType", "INaim", Str::RefCheckValueTypes},
        {"Prec", CheckAccuracyRefs, "DevType", "IPrec", Str::RefCheckValueTypes},
        {"Construct", CheckDesignRefs, "DevType", "IConstruct", Str::RefCheckValueTypes},
        {"Maker", CheckMakerRefs, "DevType", "IMaker", Str::RefCheckValueTypes},
        {"Dimention", CheckDimensionRefs, "RefusalParam", "IDimention", Str::RefCheckValueParameters},
        {"Document", CheckDocumentRefs, "Refusal", "IDocument", Str::RefCheckValueMalfunctions},
        {"RefusalParam", CheckParameterRefs, "RefusParamValue", "IParam", Str::RefCheckValueParameterValues},
        {"RefusalGroupNaimen", CheckMalfunctionGroupRefs, "Refusal", "IGroupNaimen", Str::RefCheckValueMalfunctions},
        {"RefusalNaimen", CheckMalfunctionNameRefs, "Refusal", "INaimen", Str::RefCheckValueMalfunctions},
    };
    const int key = 4;
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.check(key), "");
        refer(c.table, c.column, key, 3);
        refer(c.table, c.column, key + 1, 2);
        EXPECT_EQ(c.check(key), line(c.message, 3));
        EXPECT_EQ(c.check(key + 2), "");
        run(QStringLiteral("delete from %1").arg(c.table));
    }

    // A device moved from place 4 to place 5, another set up at 4 and left there, a third elsewhere.
    run("insert into MovHist (ILastLocSet, INewLocSet, ILastState, INewState, ILastLocation, INewLocation) "
        "values (4, 5, 1, 1, 2, 2), (4, 4, 1, 1, 2, 2), (6, 7, 4, 1, 2, 2)");
    refer("Device", "ILocSet", 4, 2);
    EXPECT_EQ(CheckPlaceRefs(4), line(Str::RefCheckValueDevices, 2) + line(Str::RefCheckValueShiftLog, 2));
    EXPECT_EQ(CheckPlaceRefs(5), line(Str::RefCheckValueShiftLog, 1));
    EXPECT_EQ(CheckStateRefs(4), line(Str::RefCheckValueShiftLog, 1));
    EXPECT_EQ(CheckLocationRefs(2), line(Str::RefCheckValueShiftLog, 3));
}

TEST_F(RefChecksTest, CrewLinesComeInOrderAndTheTypesLineCountsRowsNotDevices)
{
    refer("DevCrew", "ICrew", 3, 1);
    refer("DevRep", "ICrew", 3, 2);
    run("insert into DevTypeCount (ICrew, [Count]) values (3, 0), (3, NULL), (3, 5), (3, 0)");
    refer("CrewList", "ICrew", 3, 3);
    for (int language : {0, 1}) {
        setLanguageIndex(language);
        EXPECT_EQ(CheckCrewRefs(3), line(Str::RefCheckCrewDevices, 1) + line(Str::RefCheckCrewServices, 2) +
                                        line(Str::RefCheckCrewTypeCounts, 4) + line(Str::RefCheckCrewList, 3));
    }
    setLanguageIndex(0);
    EXPECT_TRUE(CheckCrewRefs(3).contains("There are references ( quantity = 4 ) to this Crew in Types (Amount per unit).\r"));
    EXPECT_FALSE(dm.qry()->isActive());
}

TEST_F(RefChecksTest, CrewCountsThatAddUpToNothingDoNotHoldTheCrew)
{
    run("insert into Crew (Name_Crew) values ('Бригада 1')"); // ID_Crew 1
    run("insert into DevTypeCount (ICrew, [Count]) values (1, 0), (1, NULL), (1, 0)");
    EXPECT_EQ(CheckCrewRefs(1), "");

    Dataset crews(dm.ADOConnection());
    crews.setSql("select * from Crew");
    GuardDeletion(crews, "ID_Crew", CheckCrewRefs);
    crews.open();
    crews.deleteRecord();
    EXPECT_EQ(crews.recordCount(), 0);
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(dm.ADOConnection()->scalar("select count(*) from Crew").toInt(), 0);
}

TEST_F(RefChecksTest, ReferencedDeviceIsRefusedWithAWarningAndStays)
{
    run("insert into Device (IDevType) values (1)"); // ID_Device 1
    refer("DevCrew", "IDevice", 1, 2);
    refer("NextRep", "IDevice", 1, 3);

    Dataset devices(dm.ADOConnection());
    devices.setSql("select * from Device");
    GuardDeletion(devices, "ID_Device", CheckDeviceRefs);
    devices.open();
    EXPECT_THROW(devices.deleteRecord(), AbortOperation);

    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Warning);
    EXPECT_FALSE(messages.shown()[0].question);
    EXPECT_EQ(messages.shown()[0].text, "Найден список Бригад ( колич. = 2 ) для данного устройства.\r"
                                        "Найдены обслуживания ( колич. = 3 ) для данного устройства.\r"
                                        "Операция отменена.");
    EXPECT_EQ(devices.recordCount(), 1);
    EXPECT_EQ(devices.state(), Dataset::State::Browse);
    EXPECT_EQ(dm.ADOConnection()->scalar("select count(*) from Device").toInt(), 1);
}

TEST_F(RefChecksTest, EnglishWarningEndsWithOperationCanceled)
{
    setLanguageIndex(0);
    run("insert into Device (IDevType) values (1)");
    refer("DevCrew", "IDevice", 1, 2);
    refer("NextRep", "IDevice", 1, 3);
    Dataset devices(dm.ADOConnection());
    devices.setSql("select * from Device");
    devices.open();
    EXPECT_THROW(RefuseDeleteIfReferenced(devices, "ID_Device", CheckDeviceRefs), AbortOperation);
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_EQ(messages.texts()[0], "Found references ( amount = 2 ) to Crews for this device.\r"
                                   "Found references ( amount = 3 ) to services for this device.\r"
                                   "Operation canceled.");
}

TEST_F(RefChecksTest, EmptyKeyIsCountedAsZero)
{
    refer("DevRep", "IRep", 0, 2);
    Dataset picked(dm.ADOConnection());
    picked.setSql("select NULL as ID_Reps");
    picked.open();
    ASSERT_TRUE(picked.value("ID_Reps").isNull());
    EXPECT_THROW(RefuseDeleteIfReferenced(picked, "ID_Reps", CheckServiceRefs), AbortOperation);
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(FormatText(Str::RefCheckServiceServiceRows, 2) + "\r"));
}

TEST_F(RefChecksTest, UnusedServiceIsDeletedWithoutAnyMessage)
{
    run("insert into Reps (Name_Reps) values ('Поверка'), ('Калибровка')");
    refer("DevRep", "IRep", 2, 1); // the other service is used
    Dataset services(dm.ADOConnection());
    services.setSql("select * from Reps order by ID_Reps");
    GuardDeletion(services, "ID_Reps", CheckServiceRefs);
    services.open();
    services.deleteRecord();
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(dm.ADOConnection()->scalar("select ID_Reps from Reps").toInt(), 2);
    EXPECT_THROW(services.deleteRecord(), AbortOperation);
    EXPECT_EQ(services.recordCount(), 1);
}

TEST_F(RefChecksTest, DatabaseErrorReachesTheCallerAndTheRowStays)
{
    run("insert into Device (IDevType) values (1)");
    run("drop table Complect");
    Dataset devices(dm.ADOConnection());
    devices.setSql("select * from Device");
    GuardDeletion(devices, "ID_Device", CheckDeviceRefs);
    devices.open();
    EXPECT_THROW(devices.deleteRecord(), DatabaseError);
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_FALSE(dm.qry()->isActive());
    EXPECT_EQ(dm.ADOConnection()->scalar("select count(*) from Device").toInt(), 1);
}

} // namespace
