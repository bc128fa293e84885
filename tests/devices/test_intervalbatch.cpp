#include "DevicesFixture.h"

#include "data/Dataset.h"
#include "data/SqlValue.h"
#include "devices/rules/IntervalBatch.h"
#include "devices/rules/ServiceDates.h"
#include "devices/rules/ServiceRules.h"
#include "text/StrList.h"

namespace {

// Interval 1 (2.15, crew 1, type 1) used by three next-service rows of two devices, one of them
// without a last date; the device window's datasets over device 1 and its crew 1.
class IntervalBatchTest : public DevicesFixture {
protected:
    void SetUp() override
    {
        DevicesFixture::SetUp();
        plant();
        run("insert into NextRep (ID_NextRep, IDevice, IDevRep, LastRep, NextRep) values "
            "(3, 2, 1, '2024-01-31 08:00:00', null), (4, 2, 1, null, '2025-09-09 00:00:00')");
        device = std::make_unique<Dataset>(&connection());
        device->setSql("SELECT * FROM Device where Device.ID_Device = 1;");
        device->open();
        crewDevType = std::make_unique<Dataset>(&connection());
        crewDevType->setSql("select * from CrewDevTypeView where ID_DevCrew = 1;");
        crewDevType->open();
        interval = std::make_unique<Dataset>(&connection());
        interval->setSql("SELECT ID_DevRep, IDevType, RT_Mon, IRep, ICrew FROM DevRep WHERE IDevType = 1 AND ICrew = 1;");
        rules = std::make_unique<DeviceIntervalRules>(*interval, *device, *crewDevType);
        interval->open();
        ASSERT_TRUE(interval->locate("ID_DevRep", 1));
        connect();
    }
    void TearDown() override
    {
        rules.reset();
        interval.reset();
        crewDevType.reset();
        device.reset();
        DevicesFixture::TearDown();
    }
    void connect()
    {
        QObject::connect(&connection(), &SqlConnection::willExecute,
                         [this](const QStringList& lines) { sent << lines.value(0); });
    }
    // The next date as stored (text in the storage form), or null.
    QVariant nextRep(int id) { return stored("NextRep", QString("from NextRep where ID_NextRep = %1").arg(id)); }
    QVariant lastRep(int id) { return scalar(QString("select LastRep from NextRep where ID_NextRep = %1").arg(id)); }
    bool batchSent() const
    {
        return std::any_of(sent.begin(), sent.end(), [](const QString& s) { return s.startsWith("update NextRep"); });
    }

    std::unique_ptr<Dataset> device, crewDevType, interval;
    std::unique_ptr<DeviceIntervalRules> rules;
    QStringList sent;
};

} // namespace

TEST_F(IntervalBatchTest, YesMovesEveryNextDateTheWayCountNextDateDoes)
{
    messages.answerNext(true);
    interval->setValue("RT_Mon", 1.256);
    interval->post();
    // Three rows use the interval; the question counts the two the update moves.
    EXPECT_EQ(messages.texts(), QStringList({messageText(FormatText(Str::DeviceIntervalUpdateConfirm, 2))}));
    for (int id : {1, 3}) {
        const QDateTime expected = ServiceDates::CountNextDate(lastRep(id).toDateTime(), 1.256).next;
        EXPECT_EQ(SqlValue::parseDateTime(nextRep(id).toString()), expected) << id;
    }
    EXPECT_EQ(nextRep(1).toString(), "2025-02-26 00:00:00");
    EXPECT_EQ(nextRep(3).toString(), "2024-03-25 08:00:00"); // 29 February (leap year), then 25 days; time kept
    EXPECT_EQ(nextRep(4).toString(), "2025-09-09 00:00:00"); // no last date: its next date stays
    EXPECT_TRUE(batchSent()); // the monitor shows the batch like every statement
    EXPECT_DOUBLE_EQ(scalar("select RT_Mon from DevRep where ID_DevRep = 1").toDouble(), 1.256);
}

TEST_F(IntervalBatchTest, NoLeavesTheDatesAndStillSavesTheInterval)
{
    messages.answerNext(false);
    interval->setValue("RT_Mon", 3);
    interval->post();
    EXPECT_EQ(nextRep(1).toString(), "2025-03-16 00:00:00");
    EXPECT_TRUE(nextRep(3).isNull());
    EXPECT_FALSE(batchSent());
    EXPECT_DOUBLE_EQ(scalar("select RT_Mon from DevRep where ID_DevRep = 1").toDouble(), 3);
}

TEST_F(IntervalBatchTest, RowsWithoutALastDateAreNeitherCountedNorAskedAbout)
{
    run("update NextRep set LastRep = null where IDevRep = 1");
    sent.clear();
    interval->setValue("RT_Mon", 4);
    interval->post();
    EXPECT_TRUE(messages.texts().isEmpty()); // nothing would move: no question
    EXPECT_FALSE(batchSent());
    EXPECT_DOUBLE_EQ(scalar("select RT_Mon from DevRep where ID_DevRep = 1").toDouble(), 4);
}

TEST_F(IntervalBatchTest, AFailedIntervalWriteTakesTheBatchBack)
{
    run("create trigger refuse before update on DevRep begin select raise(abort, 'forced failure'); end");
    messages.answerNext(true);
    interval->setValue("RT_Mon", 1);
    EXPECT_THROW(interval->post(), DatabaseError);
    EXPECT_TRUE(batchSent());
    EXPECT_EQ(nextRep(1).toString(), "2025-03-16 00:00:00");
    EXPECT_TRUE(nextRep(3).isNull());
    EXPECT_TRUE(interval->isEditing()); // the user's value is still there to correct or cancel
    interval->cancel();
}

TEST_F(IntervalBatchTest, EmptyOrNegativeIntervalsRunNoBatch)
{
    interval->setValue("RT_Mon", QVariant());
    interval->post();
    EXPECT_TRUE(messages.texts().isEmpty()); // nothing to move, nothing asked
    EXPECT_FALSE(batchSent());

    interval->setValue("RT_Mon", -1);
    EXPECT_THROW(interval->post(), AbortOperation);
    EXPECT_EQ(messages.texts(), QStringList({messageText(Text(Str::IntervalNegative))}));
    interval->cancel();
    EXPECT_TRUE(scalar("select RT_Mon from DevRep where ID_DevRep = 1").isNull());
}

TEST_F(IntervalBatchTest, NewIntervalTakesTheDevicesTypeAndCrewWithoutAsking)
{
    EXPECT_TRUE(rules->canAdd());
    interval->append();
    interval->setValue("IRep", 2);
    interval->setValue("RT_Mon", 6);
    interval->post();
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(count("select count(*) from DevRep where IDevType = 1 and ICrew = 1 and IRep = 2 and RT_Mon = 6"), 1);
}

TEST_F(IntervalBatchTest, AReferencedIntervalIsNotDeleted)
{
    EXPECT_THROW(interval->deleteRecord(), AbortOperation);
    EXPECT_EQ(messages.texts(), QStringList({FormatText(Str::RefCheckServiceRowNextServices, 3) + "\r" +
                                             Text(Str::OperationCanceled)}));
    EXPECT_EQ(count("select count(*) from DevRep where ID_DevRep = 1"), 1);
}
