#include "DevicesFixture.h"

#include "data/Dataset.h"
#include "devices/rules/ServiceRules.h"
#include "devices/rules/TypeRules.h"
#include "text/StrList.h"

namespace {

class ServiceRulesTest : public DevicesFixture {
protected:
    void SetUp() override
    {
        DevicesFixture::SetUp();
        plant();
    }
    std::unique_ptr<Dataset> open(const QString& sql)
    {
        auto ds = std::make_unique<Dataset>(&connection());
        ds->setSql(sql);
        ds->open();
        return ds;
    }
    int serviceLogRows() { return count("select count(*) from RepHist"); }
};

} // namespace

TEST_F(ServiceRulesTest, ExistingNextServiceRowsAreLoggedOnEverySaveNewOnesNot)
{
    auto device = open("SELECT * FROM Device where Device.ID_Device = 2;");
    auto nextRep = open("select * from nextrep where idevice = 2");
    NextServiceRules rules(*nextRep, *device);
    nextRep->append();
    nextRep->setValue("IDevRep", 1);
    nextRep->setValue("LastRep", QDateTime(QDate(2025, 1, 1), QTime(0, 0)));
    nextRep->post();
    EXPECT_EQ(serviceLogRows(), 0);
    EXPECT_EQ(count("select count(*) from NextRep where IDevice = 2 and IDevRep = 1"), 1); // it belongs to the device

    // Only the service changed: the dates before and after are the same, and still logged.
    nextRep->setValue("IDevRep", 2);
    nextRep->post();
    EXPECT_EQ(serviceLogRows(), 1);
    EXPECT_EQ(count("select count(*) from RepHist where LastDate = NewDate and LastDate = '2025-01-01 00:00:00' and "
                    "ExpectedDate is null and NextDate is null"),
              1);

    nextRep->setValue("NextRep", QDateTime(QDate(2025, 3, 16), QTime(0, 0)));
    nextRep->post();
    EXPECT_EQ(count("select count(*) from RepHistView where NextDate = '2025-03-16 00:00:00' and IDevice = 2"), 1);
}

TEST_F(ServiceRulesTest, TypeIntervalWithoutCrewTakesTheCurrentCrewOnce)
{
    auto type = open("select * from devtype where devtype.id_devtype = 2;");
    auto crews = open("SELECT Crew.ID_Crew, Crew.Name_Crew, Depart.Name_Depart FROM Crew LEFT JOIN Depart ON "
                      "Crew.IDepart = Depart.ID_Depart;");
    crews->setRecNo(2);
    auto interval = open("SELECT ID_DevRep, IDevType, RT_Mon, IRep, ICrew FROM DevRep WHERE IDevType = 2 order by "
                         "ICrew,IRep;");
    TypeIntervalRules rules(*interval, *type, *crews);
    interval->append();
    interval->setValue("RT_Mon", 6);
    interval->post();
    EXPECT_EQ(messages.texts(), QStringList({Text(Str::TypeCrewRequired)}));
    EXPECT_EQ(count("select count(*) from DevRep where IDevType = 2 and ICrew = 2 and RT_Mon = 6 and IRep is null"), 1);

    // With no crew at all the interval is refused and stays to be corrected.
    messages.clear();
    crews->close();
    run("delete from Crew");
    crews->open();
    interval->append();
    interval->setValue("RT_Mon", 1);
    EXPECT_THROW(interval->post(), AbortOperation);
    EXPECT_EQ(messages.texts(), QStringList({Text(Str::TypeNoCrews)}));
    EXPECT_TRUE(interval->isEditing());
    interval->cancel();

    interval->first();
    interval->setValue("RT_Mon", -0.5);
    EXPECT_THROW(interval->post(), AbortOperation);
    interval->cancel();
    EXPECT_EQ(count("select count(*) from DevRep where RT_Mon < 0"), 0);
}

TEST_F(ServiceRulesTest, CrewRowsBelongToTheDevice)
{
    auto device = open("SELECT * FROM Device where Device.ID_Device = 2;");
    auto crews = open("SELECT  * FROM DevCrew WHERE IDevice = 2;");
    DeviceCrewRules rules(*crews, *device);
    crews->append();
    crews->setValue("ICrew", 2);
    crews->post();
    EXPECT_EQ(count("select count(*) from DevCrew where IDevice = 2 and ICrew = 2"), 1);
}

TEST_F(ServiceRulesTest, TypeDeletionReturnsToThePreviousRow)
{
    auto types = open("select * from type;");
    types->setRecNo(2);
    EXPECT_EQ(TypeRules::returnIdAfterDeletion(*types).toInt(), types->valueAt(0, types->fieldIndex("ID_DevType")).toInt());
    types->first();
    EXPECT_EQ(TypeRules::returnIdAfterDeletion(*types), types->value("ID_DevType"));
    EXPECT_EQ(TypeRules::newTypeName(), "New type");
}
