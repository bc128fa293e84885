// Two planners on one plant: a save or a delete over a row another user changed since it was read
// stops with the current values, keeps the user's edit, and goes through when repeated on purpose,
// asking first where it would write over the other user's value.
// The same on a shared file and on a server.
#include "data/Dataset.h"
#include "data/DatabaseError.h"
#include "data/InitialSchema.h"
#include "data/RowConflict.h"
#include "data/SqlConnection.h"
#include "support/MessageRecorder.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "support/TestServer.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(RowConflict, TheSameStoredValueInItsOtherForms)
{
    struct Case {
        QVariant a, b;
        bool same;
    };
    const QDateTime afternoon(QDate(2024, 3, 5), QTime(14, 5));
    const Case cases[] = {
        {QDate(2024, 3, 5), s("2024-03-05 00:00:00"), true},
        {afternoon, s("2024-03-05 14:05:00"), true},
        {afternoon, s("2024-03-05 14:06:00"), false},
        {QDate(2024, 3, 5), QDateTime(QDate(2024, 3, 5), QTime(0, 0), Qt::UTC), true},
        {2.15, 2.1500000001, true}, // a server keeps six places
        {2.15, 2.16, false},
        {10, 10.0, true},
        {qlonglong(3), s("3"), true},
        {QVariant(), s(""), true},
        {QVariant(), 0, false},
        {QVariant(), s("x"), false},
        {s("Манометр"), s("манометр"), false},
        {s("O'Neil"), s("O'Neil"), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RowConflict::sameStoredValue(c.a, c.b), c.same) << c.a.toString().toStdString() << " / "
                                                                  << c.b.toString().toStdString();
}

// Each planner has a connection of its own to one plant, a file or a server.
class TwoPlanners : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (onServer()) {
            INSTREL_REQUIRE_TEST_SERVER();
            scratch = std::make_unique<TestServer::ScratchDatabase>();
            ASSERT_FALSE(scratch->connectionString().isEmpty()) << scratch->error().toStdString();
            first.setServer(scratch->connectionString());
            second.setServer(scratch->connectionString());
        } else {
            createSqliteFile(dir.file("Device.db"), {"create table Scratch (x int)", "drop table Scratch"});
            first.setDatabaseFile(dir.file("Device.db"));
            second.setDatabaseFile(dir.file("Device.db"));
        }
        InitialSchema::create(first);
        first.execute(s("insert into Device (ANumber, SetPlace, InputDate, Comments) values "
                        "('A-1', 'Цех 1', '2024-03-05 00:00:00', NULL)"));
        first.execute(s("insert into Device (ANumber, SetPlace) values ('A-2', 'Цех 2')"));
        mine = openDevices(first);
        theirs = openDevices(second);
    }
    void TearDown() override
    {
        mine.reset();
        theirs.reset();
        first.close();
        second.close();
    }
    bool onServer() const { return GetParam(); }

    static std::unique_ptr<Dataset> openDevices(SqlConnection& connection)
    {
        auto devices = std::make_unique<Dataset>(&connection);
        devices->setSql(s("select * from Device order by ID_Device"));
        devices->open();
        return devices;
    }
    QVariant stored(const char* column, int id = 1)
    {
        return first.scalar(s("select %1 from Device where ID_Device = %2").arg(s(column)).arg(id));
    }
    static QString failureOf(const std::function<void()>& write)
    {
        try {
            write();
        } catch (const DatabaseError& e) {
            return e.message();
        }
        return {};
    }

    TempWorkDir dir;
    std::unique_ptr<TestServer::ScratchDatabase> scratch;
    SqlConnection first, second;
    std::unique_ptr<Dataset> mine, theirs;
};

TEST_P(TwoPlanners, TheSecondSaveIsToldAndKeepsItsEditUntilSavedAgain)
{
    theirs->edit();
    theirs->setValue("SetPlace", s("Цех 7"));
    theirs->post();

    mine->edit();
    mine->setValue("Comments", s("поверен"));
    const QString message = failureOf([&] { mine->post(); });
    EXPECT_TRUE(message.contains(s("Другой пользователь изменил эту запись"))) << message.toStdString();
    EXPECT_TRUE(message.contains(s("Цех 7"))) << message.toStdString();
    EXPECT_FALSE(message.contains(s("Comments"))) << "only what the other user changed is listed";
    EXPECT_EQ(stored("SetPlace").toString(), s("Цех 7"));
    EXPECT_TRUE(stored("Comments").isNull()) << "nothing written";
    ASSERT_EQ(mine->state(), Dataset::State::Edit);
    EXPECT_EQ(mine->value("Comments").toString(), s("поверен")) << "the user's edit is kept";
    EXPECT_EQ(mine->value("SetPlace").toString(), s("Цех 7")) << "the other user's value is shown";

    mine->post(); // the user has seen it and saves again
    EXPECT_EQ(stored("SetPlace").toString(), s("Цех 7"));
    EXPECT_EQ(stored("Comments").toString(), s("поверен"));
}

TEST_P(TwoPlanners, BothChangingOneValueTheSecondDecidesAndCancelTakesTheStoredOne)
{
    theirs->edit();
    theirs->setValue("ANumber", s("A-1-их"));
    theirs->post();

    mine->edit();
    mine->setValue("ANumber", s("A-1-мой"));
    EXPECT_FALSE(failureOf([&] { mine->post(); }).isEmpty());
    EXPECT_EQ(mine->value("ANumber").toString(), s("A-1-мой"));
    mine->cancel();
    EXPECT_EQ(mine->value("ANumber").toString(), s("A-1-их"));
    EXPECT_EQ(stored("ANumber").toString(), s("A-1-их"));
}

// However the save comes after the message (the save button, another row, leaving the window), the
// user's value goes over the other user's only on a "yes"; a "no" keeps theirs and saves the rest.
TEST_P(TwoPlanners, WritingOverAnotherUsersValueIsAskedFirst)
{
    struct Case {
        bool yes;
        const char* storedNumber;
    };
    for (const Case& c : {Case{true, "A-1-мой"}, Case{false, "A-1-их"}}) {
        SCOPED_TRACE(c.yes ? "yes" : "no");
        theirs->requery();
        theirs->edit();
        theirs->setValue("ANumber", s("A-1-их"));
        theirs->setValue("Comments", s(c.yes ? "их 1" : "их 2"));
        theirs->post();

        MessageRecorder messages;
        mine->edit();
        mine->setValue("ANumber", s("A-1-мой"));
        mine->setValue("SetPlace", s("Цех 5"));
        EXPECT_FALSE(failureOf([&] { mine->post(); }).isEmpty());
        messages.answerNext(c.yes);
        mine->post();
        ASSERT_EQ(messages.shown().size(), 1);
        EXPECT_TRUE(messages.shown()[0].question);
        const QString question = messages.shown()[0].text;
        EXPECT_TRUE(question.contains(s("ваше значение «A-1-мой», в базе данных «A-1-их»"))) << question.toStdString();
        EXPECT_FALSE(question.contains(s("Comments"))) << "only values both changed are asked about";
        EXPECT_EQ(mine->state(), Dataset::State::Browse);
        EXPECT_EQ(stored("ANumber").toString(), s(c.storedNumber));
        EXPECT_EQ(mine->value("ANumber").toString(), s(c.storedNumber));
        EXPECT_EQ(stored("SetPlace").toString(), s("Цех 5")) << "the rest of the edit is saved either way";
        EXPECT_EQ(stored("Comments").toString(), s(c.yes ? "их 1" : "их 2"));

        mine->edit(); // the next edit starts afresh: nothing is asked
        mine->setValue("SetPlace", s("Цех 6"));
        mine->post();
        EXPECT_EQ(messages.shown().size(), 1);
        theirs->requery();
        theirs->edit();
        theirs->setValue("ANumber", s("A-1"));
        theirs->post();
        mine->requery();
    }
}

// Keys to other lists read as the names they stand for, under the captions the user sees.
TEST_P(TwoPlanners, AChangedKeyReadsAsTheNameItStandsFor)
{
    first.execute(s("insert into DevType (Name_DevType) values ('Манометр')"));
    first.execute(s("insert into DevType (Name_DevType) values ('Термометр')"));
    Dataset types(&first);
    types.setSql(s("select ID_DevType, Name_DevType from DevType order by ID_DevType"));
    types.open();
    const QVariant pressure = first.scalar(s("select ID_DevType from DevType where Name_DevType = 'Манометр'"));
    const QVariant heat = first.scalar(s("select ID_DevType from DevType where Name_DevType = 'Термометр'"));
    // a grid shows the key through a lookup field; a form names the column beside its editor
    mine->addLookupField(s("TypeName"), {&types, s("IDevType"), s("ID_DevType"), s("Name_DevType")})
        ->setLabel(s("Тип прибора"));
    mine->setColumnNaming(s("SetPlace"), s("Место установки"));

    theirs->edit();
    theirs->setValue("IDevType", heat);
    theirs->setValue("SetPlace", QVariant());
    theirs->post();
    mine->edit();
    mine->setValue("IDevType", pressure);
    const QString message = failureOf([&] { mine->post(); });
    EXPECT_TRUE(message.contains(s("Тип прибора: Термометр"))) << message.toStdString();
    EXPECT_TRUE(message.contains(s("Место установки: (пусто)"))) << message.toStdString();
    EXPECT_FALSE(message.contains(s("IDevType"))) << message.toStdString();

    MessageRecorder messages;
    messages.answerNext(false);
    mine->post();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.texts().constFirst().contains(s("Тип прибора: ваше значение «Манометр», в базе данных «Термометр»")))
        << messages.texts().constFirst().toStdString();
    EXPECT_EQ(stored("IDevType"), heat);
}

TEST_P(TwoPlanners, OwnSavesOneAfterAnotherAreNoConflict)
{
    for (const QVariant& when : {QVariant(QDate(2025, 1, 31)), QVariant(QDateTime(QDate(2025, 2, 1), QTime(9, 30)))}) {
        mine->edit();
        mine->setValue("InputDate", when);
        mine->setValue("Comments", s("O'Neil; --"));
        mine->post();
    }
    mine->edit();
    mine->setValue("Comments", QVariant());
    EXPECT_NO_THROW(mine->post());
    EXPECT_TRUE(stored("Comments").isNull());
}

TEST_P(TwoPlanners, DeletingARowAnotherUserChangedOrDeletedIsRefused)
{
    theirs->edit();
    theirs->setValue("SetPlace", s("Склад"));
    theirs->post();

    const QString message = failureOf([&] { mine->deleteRecord(); });
    EXPECT_TRUE(message.contains(s("Запись не удалена"))) << message.toStdString();
    EXPECT_TRUE(message.contains(s("Склад"))) << message.toStdString();
    EXPECT_EQ(first.scalar(s("select count(*) from Device")).toInt(), 2);
    ASSERT_EQ(mine->recordCount(), 2);
    EXPECT_EQ(mine->value("SetPlace").toString(), s("Склад")) << "the row shows what is stored";
    mine->deleteRecord(); // seen, deleted on purpose
    EXPECT_EQ(first.scalar(s("select count(*) from Device")).toInt(), 1);

    theirs->last();
    theirs->deleteRecord();
    mine->edit();
    mine->setValue("Comments", s("поздно"));
    EXPECT_TRUE(failureOf([&] { mine->post(); }).contains(s("Запись не найдена")));
    EXPECT_EQ(mine->state(), Dataset::State::Edit);
}

INSTANTIATE_TEST_SUITE_P(Engines, TwoPlanners, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "File"; });

} // namespace
