#include "DevicesFixture.h"

#include "data/Dataset.h"
#include "devices/rules/DeviceRecordRules.h"
#include "devices/rules/TypeRules.h"
#include "text/StrList.h"

namespace {

// The device record as the device window holds it: one row of Device, chosen by its key.
class DeviceRecordTest : public DevicesFixture {
protected:
    void SetUp() override
    {
        DevicesFixture::SetUp();
        plant();
        device = std::make_unique<Dataset>(&connection());
        device->setSql("SELECT * FROM Device where Device.ID_Device = :ID_Device;");
        rules = std::make_unique<DeviceRecordRules>(*device);
    }
    void TearDown() override
    {
        rules.reset();
        device.reset();
        DevicesFixture::TearDown();
    }
    void show(int id)
    {
        device->close();
        device->setParam("ID_Device", id);
        device->open();
    }
    QStringList editLog(int id)
    {
        QStringList kinds;
        const auto rows = connection().select(
            QString("select Victim from EditHistView where IDevice = %1 order by ChangeDate").arg(id));
        for (int r = 0; r < rows->rowCount(); ++r)
            kinds << rows->text(r, 0);
        return kinds;
    }

    std::unique_ptr<Dataset> device;
    std::unique_ptr<DeviceRecordRules> rules;
};

} // namespace

TEST_F(DeviceRecordTest, InsertStoresAnEmptyDeviceAndLogsItAdded)
{
    show(0);
    device->insert();
    device->post(); // untouched, and stored all the same
    const int id = device->value("ID_Device").toInt();
    EXPECT_GT(id, 3);
    EXPECT_EQ(rules->pendingKind(), DeviceRecordRules::ChangeKind::Inserted);
    EXPECT_TRUE(scalar(QString("select IDevType from Device where ID_Device = %1").arg(id)).isNull());
    EXPECT_EQ(stored("ChangeDate", QString("from Device where ID_Device = %1").arg(id)).toString(),
              "2025-06-15 10:30:00");
    EXPECT_EQ(editLog(id), QStringList({"Добавлен"}));
    EXPECT_EQ(count("select count(*) from MovHist"), 0);
}

TEST_F(DeviceRecordTest, CommentsWriteTheEditLogOnlyAPlaceChangeAlsoTheMoveLog)
{
    show(1);
    device->setValue("Comments", "проверен");
    device->post();
    EXPECT_EQ(editLog(1), QStringList({"Редакт."}));
    EXPECT_EQ(count("select count(*) from MovHist"), 0);

    device->setValue("ILocSet", 2);
    device->setValue("SetPlace", "O'Neil; --");
    device->post();
    EXPECT_EQ(editLog(1).size(), 2);
    EXPECT_EQ(count("select count(*) from MovHist where IDevice = 1 and ILastLocSet = 1 and INewLocSet = 2 and "
                    "LastSetPlace = 'у входа' and NewSetPlace = 'O''Neil; --'"),
              1);
    EXPECT_EQ(rules->pendingKind(), DeviceRecordRules::ChangeKind::Edited);
}

TEST_F(DeviceRecordTest, TypeStaysWhileTheDeviceHasServices)
{
    show(1);
    device->setValue("IDevType", 2);
    device->setValue("Comments", "x");
    device->post();
    EXPECT_EQ(messages.texts(), QStringList({Text(Str::DeviceTypeChangeRefused)}));
    EXPECT_EQ(scalar("select IDevType from Device where ID_Device = 1").toInt(), 1);
    EXPECT_EQ(scalar("select Comments from Device where ID_Device = 1").toString(), "x"); // the save went on
    EXPECT_EQ(stored("ChangeDate", "from Device where ID_Device = 1").toString(), "2025-06-15 10:30:00");

    // Without services the new type is saved; two empty types are no change.
    messages.clear();
    show(2);
    device->setValue("IDevType", 2);
    device->post();
    show(3);
    device->setValue("IDevType", QVariant());
    device->post();
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(scalar("select IDevType from Device where ID_Device = 2").toInt(), 2);
    EXPECT_TRUE(DeviceRecordRules::typeChanged(QVariant(), 1));
    EXPECT_FALSE(DeviceRecordRules::typeChanged(QVariant(), QVariant()));
}

TEST_F(DeviceRecordTest, LocationChangeLeavesThePlaceOfTheOldLocationBehind)
{
    show(1);
    device->setValue("ILocation", 2);
    device->post();
    EXPECT_TRUE(scalar("select ILocSet from Device where ID_Device = 1").isNull());
    EXPECT_EQ(count("select count(*) from MovHist where ILastLocation = 1 and INewLocation = 2 and ILastLocSet = 1 "
                    "and INewLocSet is null"),
              1);
    // A place of the new location stays.
    device->setValue("ILocation", 1);
    device->setValue("ILocSet", 2);
    device->post();
    EXPECT_EQ(scalar("select ILocSet from Device where ID_Device = 1").toInt(), 2);
}

TEST_F(DeviceRecordTest, ReferencedDeviceIsRefusedWithOneLinePerTableInOrder)
{
    run("insert into Refusal (IDevice) values (1)");
    run("insert into Complect (IRoot, IDevice) values (0, 1)");
    show(1);
    EXPECT_THROW(device->deleteRecord(), AbortOperation);
    EXPECT_EQ(messages.texts(),
              QStringList({FormatText(Str::RefCheckDeviceCrews, 1) + "\r" + FormatText(Str::RefCheckDeviceServices, 2) +
                           "\r" + FormatText(Str::RefCheckDeviceMalfunctions, 1) + "\r" +
                           FormatText(Str::RefCheckDeviceKits, 1) + "\r" + Text(Str::OperationCanceled)}));
    EXPECT_EQ(count("select count(*) from Device where ID_Device = 1"), 1);
    EXPECT_TRUE(editLog(1).isEmpty()); // no false "Deleted" row
    EXPECT_EQ(device->recordCount(), 1);
}

TEST_F(DeviceRecordTest, DeletionLogsCleansUpAndRefreshesAsOneStep)
{
    int refreshed = 0;
    rules->setAfterDeletion([&] { ++refreshed; });
    run("insert into Refusal (ID_Refusal, IDevice) values (5, 77)"); // left behind by an older deletion
    run("insert into RefusParamValue (IRefusal, IParam) values (5, 1)");
    show(2);
    device->deleteRecord();
    EXPECT_EQ(count("select count(*) from Device where ID_Device = 2"), 0);
    EXPECT_EQ(editLog(2), QStringList({"Удален"}));
    EXPECT_EQ(count("select count(*) from Refusal"), 0);
    EXPECT_EQ(count("select count(*) from RefusParamValue"), 0);
    EXPECT_EQ(refreshed, 1);
}

TEST_F(DeviceRecordTest, FailedCleanUpUndoesTheDeletionAndItsLogRow)
{
    run("drop view Refusals"); // the second clean-up reads it
    show(2);
    EXPECT_THROW(device->deleteRecord(), DatabaseError);
    EXPECT_EQ(count("select count(*) from Device where ID_Device = 2"), 1);
    EXPECT_TRUE(editLog(2).isEmpty());
    EXPECT_EQ(device->recordCount(), 1); // the row is back where it was
    EXPECT_EQ(device->value("ANumber").toString(), "A-2");
}

TEST_F(DeviceRecordTest, SameCopiesTypeAndClassificationOnly)
{
    run("update Device set ISystem = 1, IClass = 2, IMere = 3, IDest = 4, IMarg = 5, INaim = 6, IScale = 7, "
        "IGrade = 8, SetDate = '2024-01-01 00:00:00', InputDate = '2024-01-02 00:00:00', Comments = 'c' "
        "where ID_Device = 1");
    show(0);
    ASSERT_TRUE(insertCopy(*device, DeviceRecordRules::sameStatement(1), DeviceRecordRules::sameColumns()));
    device->post();
    const int id = device->value("ID_Device").toInt();
    const auto row = connection().select(QString("select * from Device where ID_Device = %1").arg(id));
    for (const char* copied : {"ISystem", "IDevType", "IClass", "IMere", "IDest", "IMarg", "INaim", "IScale", "IGrade"})
        EXPECT_FALSE(row->isNull(0, row->indexOf(copied))) << copied;
    for (const char* empty :
         {"ANumber", "ZNumber", "ILocation", "ILocSet", "IState", "SetDate", "SetPlace", "InputDate", "Comments"})
        EXPECT_TRUE(row->isNull(0, row->indexOf(empty))) << empty;
    EXPECT_EQ(count(QString("select count(*) from DevCrew where IDevice = %1").arg(id)), 0);
    EXPECT_EQ(editLog(id), QStringList({"Добавлен"}));
    EXPECT_FALSE(insertCopy(*device, DeviceRecordRules::sameStatement(999), DeviceRecordRules::sameColumns()));
}
