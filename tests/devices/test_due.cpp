// What falls due: the rule by day, the list and counts read from a file, and the command-line tool
// as scripts run it (rows, summary, exit codes, its CSV and workbook read back).
#include "app/DueNotice.h"
#include "app/DueReminder.h"
#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/SqlConnection.h"
#include "devices/rules/DueList.h"
#include "devices/rules/DueRule.h"
#include "support/TempDir.h"
#include "tables/print/GridSnapshot.h"
#include "tables/export/TextExporter.h"
#include "support/TestDatabase.h"
#include "text/StrList.h"

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QProcess>
#include <gtest/gtest.h>
#include <numeric>

#ifndef INSTREL_DUE_PATH
#error "INSTREL_DUE_PATH must name the due-list tool"
#endif

using DueRule::State;

namespace {

const QDate kToday(2028, 2, 28); // a leap year: the horizon crosses 29 February

struct RuleCase {
    QDateTime next;
    int horizon;
    State expected;
};

TEST(DueRuleTest, StateByDay)
{
    const RuleCase cases[] = {
        {QDateTime(kToday.addDays(-1), QTime(23, 59, 59)), 30, State::Overdue},
        {QDateTime(kToday.addYears(-5), QTime(0, 0)), 30, State::Overdue},
        {QDateTime(kToday, QTime(0, 0)), 30, State::DueSoon},
        {QDateTime(kToday, QTime(23, 59)), 30, State::DueSoon}, // a time of day on today is still today
        {QDateTime(kToday.addDays(1), QTime(0, 0)), 30, State::DueSoon},
        {QDateTime(QDate(2028, 2, 29), QTime(8, 0)), 1, State::DueSoon},
        {QDateTime(QDate(2028, 3, 29), QTime(23, 0)), 30, State::DueSoon}, // the horizon's last day
        {QDateTime(QDate(2028, 3, 30), QTime(0, 0)), 30, State::Later},
        {QDateTime(QDate(2028, 3, 1), QTime(0, 0)), 1, State::Later},
        {QDateTime(kToday, QTime(10, 0)), DueRule::Off, State::Later}, // no horizon: only overdue counts
        {QDateTime(kToday.addDays(-1), QTime(0, 0)), DueRule::Off, State::Overdue},
        {QDateTime(), 30, State::NoDate},
    };
    for (const RuleCase& c : cases)
        EXPECT_EQ(DueRule::stateOf(c.next, kToday, c.horizon), c.expected)
            << c.next.toString(Qt::ISODate).toStdString() << " horizon " << c.horizon;
}

TEST(DueRuleTest, MonthEndsAndHorizons)
{
    EXPECT_EQ(DueRule::dueLimit(QDate(2027, 1, 31), 30), QDate(2027, 3, 3));
    EXPECT_EQ(DueRule::dueLimit(QDate(2026, 12, 31), 0), QDate(2026, 12, 31));
    EXPECT_EQ(DueRule::validHorizon(45), 45);
    EXPECT_EQ(DueRule::validHorizon(0), DueRule::Off);
    EXPECT_EQ(DueRule::validHorizon(31), DueRule::DefaultHorizon);
    EXPECT_EQ(DueRule::validHorizon(-7), DueRule::DefaultHorizon);
}

TEST(DueRuleTest, ConditionsAreTheOnesAUserWouldType)
{
    EXPECT_EQ(DueRule::overdueCondition(kToday), "< '28.02.2028'");
    EXPECT_EQ(DueRule::dueSoonCondition(kToday, 30), ">= '28.02.2028' and <= '29.03.2028'");
    EXPECT_EQ(DueRule::dueCondition(kToday, 30), "<= '29.03.2028'");
    EXPECT_EQ(DueRule::dueCondition(kToday, DueRule::Off), "< '28.02.2028'");
}

// A plant of one device type with a service per case, due relative to the real today, as the tool
// (a separate process) sees the clock.
class DueFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = TestDatabase::createUpgradedEmptyDatabase(dir.path());
        SqlConnection db;
        db.setDatabaseFile(file);
        db.execute(QStringLiteral("insert into DevType (ID_DevType, Name_DevType, Mark_DevType) values (1, 'Манометр', 'МП-4');"));
        db.execute(QStringLiteral("insert into Reps (ID_Reps, Name_Reps, Short_Reps) values (1, 'Поверка', 'П');"));
        db.execute(QStringLiteral("insert into DevRep (ID_DevRep, IDevType, IRep, RT_Mon) values (1, 1, 1, 12);"));
        const struct {
            const char* number;
            QVariant next;
        } rows[] = {
            {"A-yesterday", QDateTime(today.addDays(-1), QTime(18, 0))},
            {"B-today", QDateTime(today, QTime(15, 30))},
            {"C-in-30", QDateTime(today.addDays(30), QTime(0, 0))},
            {"D-in-31", QDateTime(today.addDays(31), QTime(0, 0))},
            {"E-none", QVariant()},
        };
        int id = 0;
        for (const auto& row : rows) {
            ++id;
            db.execute(QStringLiteral("insert into Device (ID_Device, IDevType, ANumber, ZNumber) values (:id, 1, :a, 'Z');"),
                       {{QStringLiteral("id"), id}, {QStringLiteral("a"), QString::fromLatin1(row.number)}});
            db.execute(QStringLiteral("insert into NextRep (IDevice, IDevRep, NextRep) values (:id, 1, :next);"),
                       {{QStringLiteral("id"), id}, {QStringLiteral("next"), row.next}});
        }
    }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run due(const QStringList& arguments)
    {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(INSTREL_DUE_PATH), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QStringList firstColumn(const QString& table)
    {
        QStringList numbers;
        for (const QString& line : table.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).mid(1))
            numbers << line.section(QLatin1Char('\t'), 0, 0);
        return numbers;
    }

    TempWorkDir dir;
    QString file;
    QDate today = QDate::currentDate();
};

TEST_F(DueFileTest, ListAndCountsTakeWholeDays)
{
    SqlConnection db;
    db.setDatabaseFile(file);
    const auto rows = DueList(db, today, 30).open();
    QStringList numbers;
    for (int r = 0; r < rows->recordCount(); ++r)
        numbers << rows->valueAt(r, rows->fieldIndex(QStringLiteral("ANumber"))).toString();
    EXPECT_EQ(numbers, QStringList({"A-yesterday", "B-today", "C-in-30"}));
    EXPECT_EQ(rows->fieldByName(QStringLiteral("NextRep")).label(), Text(Str::ColNextDate));

    const DueList::Counts counts = DueList(db, today, 30).count();
    EXPECT_EQ(counts.overdue, 1);
    EXPECT_EQ(counts.dueSoon, 2);
    EXPECT_EQ(DueList(db, today, DueRule::Off).count().dueSoon, 0);
}

// The tool writes the list as it reads it, without a dataset; what it writes is the schedule's text
// export of the same rows, to the byte: times beside dates, decimal commas, a tab or line break in a
// number made a blank, empty cells for nulls.
TEST_F(DueFileTest, ListingIsTheTextExportOfTheSameRows)
{
    SqlConnection db;
    db.setDatabaseFile(file);
    db.execute(QStringLiteral("update DevRep set RT_Mon = 2.15;"));
    db.execute(QStringLiteral("update Device set ANumber = 'Tab' || char(9) || 'and' || char(13, 10) || 'break' where ID_Device = 2;"));
    db.execute(QStringLiteral("update NextRep set LastRep = '2025-03-30 02:30:00' where IDevice = 1;"));
    const DueList due(db, today, 30);
    const auto dataset = due.open();
    DatasetModel model(dataset.get());
    std::vector<int> columns(size_t(model.columnCount())), rows(size_t(model.rowCount()));
    std::iota(columns.begin(), columns.end(), 0);
    std::iota(rows.begin(), rows.end(), 0);
    QByteArray exported;
    QBuffer buffer(&exported);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(TextExporter().write(GridSnapshot(&model, std::move(columns), std::move(rows)), buffer));

    const DueList::Listing listing = due.listing();
    EXPECT_EQ(listing.text, exported);
    EXPECT_TRUE(listing.text.contains("Tab and  break\t")) << listing.text.toStdString();
    EXPECT_TRUE(listing.text.contains("\t2,15\r\n"));
    EXPECT_EQ(listing.rows, 3);
    EXPECT_EQ(listing.overdue, 1);
    EXPECT_EQ(due.listingOf(*dataset->rows()).text, exported);
}

TEST_F(DueFileTest, ToolPrintsTheScheduleColumnsAndSaysSomethingIsDue)
{
    const Run run = due({file});
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
    EXPECT_EQ(firstColumn(run.out.trimmed().section(QLatin1Char('\n'), 0, -2)), QStringList({"A-yesterday", "B-today", "C-in-30"}));
    EXPECT_TRUE(run.out.startsWith(Text(Str::ColAccessCode) + QLatin1Char('\t') + Text(Str::ColManufactureCode)));
    EXPECT_TRUE(run.out.trimmed().endsWith(FormatText(Str::DueSummary, 1, 30, 2))) << run.out.toStdString();

    EXPECT_EQ(firstColumn(due({QStringLiteral("--within"), QStringLiteral("31"), file}).out.trimmed().section(QLatin1Char('\n'), 0, -2)).size(), 4);
    const Run overdueOnly = due({QStringLiteral("--within"), QStringLiteral("0"), file});
    EXPECT_EQ(overdueOnly.exitCode, 3);
    EXPECT_TRUE(overdueOnly.out.contains(QStringLiteral("A-yesterday")));
    EXPECT_FALSE(overdueOnly.out.contains(QStringLiteral("B-today")));
}

TEST_F(DueFileTest, ToolWritesCsvAndWorkbookThatReadBack)
{
    const Run run = due({QStringLiteral("--csv"), QStringLiteral("due.csv"), QStringLiteral("--xlsx"),
                         QStringLiteral("due.xlsx"), file});
    ASSERT_EQ(run.exitCode, 3) << run.err.toStdString();

    QFile csv(dir.file(QStringLiteral("due.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList csvLines = QString::fromUtf8(csv.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(csvLines.size(), 4);
    EXPECT_TRUE(csvLines[1].startsWith(QStringLiteral("A-yesterday,Z,Манометр,МП-4,П,Поверка,")));

    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/xlsx2csv"), {dir.file(QStringLiteral("due.xlsx"))});
    ASSERT_TRUE(reader.waitForFinished(60000));
    const QStringList sheet = QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(sheet.size(), 4);
    EXPECT_TRUE(sheet[3].startsWith(QStringLiteral("C-in-30,Z,")));
    EXPECT_TRUE(sheet[3].contains(today.addDays(30).toString(QStringLiteral("dd.MM.yyyy")))) << sheet[3].toStdString();
}

TEST_F(DueFileTest, ToolSaysNothingIsDueAndLeavesTheFileAsItWas)
{
    QFile original(file);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    {
        SqlConnection db;
        db.setDatabaseFile(file);
        db.execute(QStringLiteral("update NextRep set NextRep = :far;"),
                   {{QStringLiteral("far"), QDateTime(today.addYears(1), QTime(0, 0))}});
    }
    const Run run = due({file});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), FormatText(Str::DueSummary, 0, 30, 0));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_NE(original.readAll(), before); // the update above changed it ...
    original.close();
    const QByteArray afterUpdate = [&] { original.open(QIODevice::ReadOnly); return original.readAll(); }();
    original.close();
    due({QStringLiteral("--csv"), QStringLiteral("x.csv"), file});
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), afterUpdate); // ... the tool did not
}

TEST_F(DueFileTest, ToolRefusesBadArgumentsAndBadFilesClearly)
{
    const struct {
        QStringList arguments;
        int exitCode;
        QString message;
    } cases[] = {
        {{QStringLiteral("--within"), QStringLiteral("abc"), file}, 2, FormatText(Str::DueBadDays, QStringLiteral("abc"))},
        {{QStringLiteral("--within"), QStringLiteral("-1"), file}, 2, FormatText(Str::DueBadDays, QStringLiteral("-1"))},
        {{QStringLiteral("--within")}, 2, FormatText(Str::DueMissingValue, QStringLiteral("--within"))},
        {{QStringLiteral("--pdf"), QStringLiteral("x")}, 2, FormatText(Str::DueUnknownOption, QStringLiteral("--pdf"))},
        {{dir.file(QStringLiteral("missing.db"))}, 1, QStringLiteral("missing.db")},
        {{QStringLiteral("--csv"), dir.file(QStringLiteral("no/such/folder/x.csv")), file}, 1, QStringLiteral("x.csv")},
    };
    for (const auto& c : cases) {
        const Run run = due(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("missing.db"))));
}

TEST(DueDemoTest, ToolAgreesWithTheEngineOnTheDemoPlant)
{
    TempWorkDir dir;
    Clock::fix({});
    const QString file = TestDatabase::createDemoDatabase(dir.path());
    SqlConnection db;
    db.setDatabaseFile(file);
    const QDate today = QDate::currentDate();
    const qint64 expected = db.scalar(QStringLiteral("select count(*) from NextRep where NextRep < :limit;"),
                                      {{QStringLiteral("limit"), QVariant(today.addDays(31))}}).toLongLong();
    ASSERT_GT(expected, 0) << "the demo plant should have services due within a month of its day";
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(INSTREL_DUE_PATH), QStringList());
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 3);
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size() - 2, expected); // titles and the summary line
}

} // namespace

namespace {

TEST_F(DueFileTest, HorizonIsKeptInTheSettingsAndChosenFromTheMenu)
{
    EXPECT_EQ(DueReminder::horizon(), DueRule::DefaultHorizon);
    DueReminder reminder;
    QMenu options;
    QMenu* menu = reminder.addHorizonMenu(&options);
    QStringList captions;
    for (QAction* item : menu->actions())
        if (!item->isSeparator())
            captions << item->text() + (item->isChecked() ? "*" : "");
    EXPECT_EQ(captions, QStringList({FormatText(Str::RemindDays, 30) + "*", FormatText(Str::RemindDays, 45),
                                     FormatText(Str::RemindDays, 60), FormatText(Str::RemindDays, 90),
                                     Text(Str::RemindOff)}));
    menu->findChild<QAction*>("Remind60")->trigger();
    EXPECT_EQ(DueReminder::horizon(), 60);
    menu->findChild<QAction*>("Remind0")->trigger();
    EXPECT_EQ(DueReminder::horizon(), DueRule::Off);

    QFile ini(dir.file("Device.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[Options]\nRemindDays=banana\n");
    ini.close();
    EXPECT_EQ(DueReminder::horizon(), DueRule::DefaultHorizon);
}

TEST_F(DueFileTest, NoticeAtStartCountsAndOpensTheSchedule)
{
    SqlConnection db;
    db.setDatabaseFile(file);
    DueReminder reminder;
    int opened = 0;
    auto* notice = qobject_cast<TDueNotice*>(reminder.remindAtStart(db, nullptr, true, [&] { ++opened; }));
    ASSERT_TRUE(notice);
    EXPECT_FALSE(notice->isModal());
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), messageText(FormatText(Str::DueNoticeText, 1, 30, 2)));
    QPointer<TDueNotice> watched(notice);
    notice->findChild<QPushButton*>("btnShowDue")->click();
    EXPECT_EQ(opened, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull()); // closed and freed

    auto* withoutSchedule = qobject_cast<TDueNotice*>(reminder.remindAtStart(db, nullptr, false, [] {}));
    ASSERT_TRUE(withoutSchedule);
    EXPECT_FALSE(withoutSchedule->findChild<QPushButton*>("btnShowDue")->isEnabled());
    withoutSchedule->close();

    DueReminder::setHorizon(DueRule::Off); // overdue services alone do not remind when reminders are off
    EXPECT_EQ(reminder.remindAtStart(db, nullptr, true, [] {}), nullptr);
    DueReminder::setHorizon(30);
    db.execute("update NextRep set NextRep = :far;", {{"far", QDateTime(today.addYears(1), QTime(0, 0))}});
    EXPECT_EQ(reminder.remindAtStart(db, nullptr, true, [] {}), nullptr);
    db.execute("drop view nextrepview;"); // a database the counts cannot read does not stop the start
    EXPECT_EQ(reminder.remindAtStart(db, nullptr, true, [] {}), nullptr);
}

} // namespace
