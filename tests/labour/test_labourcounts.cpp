#include "LabourFixture.h"

#include "data/DatabaseError.h"
#include "labour/rules/DevTypeCountSync.h"
#include "labour/rules/LabourFigures.h"
#include "labour/rules/LabourRecount.h"
#include "labour/rules/NormStateCount.h"
#include "support/QtPrinters.h"
#include "text/StrList.h"

#include <algorithm>
#include <ostream>

namespace {

class LabourCountsTest : public LabourFixture {
protected:
    int pairs() { return scalar("select count(*) from DevTypeCount").toInt(); }
    int pairsOf(const QString& column, qint64 key)
    {
        return scalar(QStringLiteral("select count(*) from DevTypeCount where %1 = %2").arg(column).arg(key)).toInt();
    }
    QVariant countOf(qint64 type, qint64 crew)
    {
        return scalar(QStringLiteral("select [Count] from DevTypeCount where IDevType = %1 and ICrew = %2").arg(type).arg(crew));
    }

    void countNorm(qint64 crew) { NormStateCount(db(), crew).run(); }
    QVariant norm(const QString& column, qint64 cathegory, qint64 crew = 0)
    {
        return scalar(QStringLiteral("select %1 from NormState where ICrew = %2 and ICathegory = %3")
                          .arg(column)
                          .arg(crew ? crew : crew1)
                          .arg(cathegory));
    }
};

} // namespace

TEST_F(LabourCountsTest, SyncKeepsOnePairPerTypeAndCrewAndIsStableWhenRunTwice)
{
    DevTypeCountSync sync(db());
    const qint64 crew4 = insert("insert into Crew (Name_Crew) values ('Новая')");
    const qint64 type3 = insert("insert into DevType (Name_DevType) values ('Весы')");
    run(QStringLiteral("delete from Crew where ID_Crew = %1").arg(crew2));
    run("insert into DevTypeCount (IDevType, ICrew) values (999, 999)"); // type and crew long gone
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        sync.run();
        EXPECT_EQ(pairs(), 3 * 3); // three types, three crews left
        EXPECT_EQ(pairsOf("ICrew", crew4), 3);
        EXPECT_EQ(pairsOf("IDevType", type3), 3);
        EXPECT_EQ(pairsOf("ICrew", crew2), 0);
        EXPECT_EQ(countOf(type3, crew4), QVariant());
        EXPECT_EQ(countOf(gauge, crew1).toInt(), 10); // counts already entered stay
    }
}

TEST_F(LabourCountsTest, APostedTypeGetsItsCountInTheSelectedCrewOnly)
{
    const qint64 type3 = insert("insert into DevType (Name_DevType) values ('Весы')");
    DevTypeCountSync sync(db());
    sync.typePosted(type3, 7, crew2);
    EXPECT_EQ(countOf(type3, crew2).toInt(), 7);
    EXPECT_EQ(countOf(type3, crew1), QVariant());
    EXPECT_EQ(pairsOf("IDevType", type3), 3);
    sync.typePosted(type3, QVariant(), crew2); // an emptied count is stored empty
    EXPECT_EQ(countOf(type3, crew2), QVariant());
    EXPECT_EQ(DevTypeCountSync::countUpdateStatement(5, 12, 3),
              " UPDATE DevTypeCount SET DevTypeCount.Count = 12 WHERE DevTypeCount.IDevType = 5 AND DevTypeCount.ICrew = 3;");
}

TEST_F(LabourCountsTest, NormCountWorkedExample)
{
    run(QStringLiteral("insert into NormState (ICrew, ICathegory, ExtPlanPC, ExtPlan) values (%1, %2, 10, 50)")
            .arg(crew1)
            .arg(grade4));
    messages.answerNext(false); // grade 5 has no member: no minimal fund
    messages.answerNext(true);  // plans from the crew structure
    countNorm(crew1);
    EXPECT_DOUBLE_EQ(norm("PlanHour", grade4).toDouble(), 1758.8);
    EXPECT_DOUBLE_EQ(norm("PlanP1E", grade4).toDouble(), 1760);
    EXPECT_DOUBLE_EQ(norm("YearPlan", grade4).toDouble(), 1984.68);
    EXPECT_DOUBLE_EQ(norm("Required", grade4).toDouble(), 1.127659);
    // The category with shares but no row got one; without a plan of one employee no head count.
    EXPECT_DOUBLE_EQ(norm("PlanHour", grade5).toDouble(), 100);
    EXPECT_DOUBLE_EQ(norm("YearPlan", grade5).toDouble(), 100);
    EXPECT_EQ(norm("Required", grade5), QVariant());
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from NormState where ICrew = %1").arg(crew1)).toInt(), 2);
}

TEST_F(LabourCountsTest, NormCountQuestionsAndTheirAnswers)
{
    setLanguageIndex(1);
    const qint64 nameless = member(crew1, 0, 1500, 3); // a member without a category
    messages.answerNext(true);
    messages.answerNext(false);
    countNorm(crew1);
    ASSERT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(messages.texts()[0], FormatText(Str::AccountMinimalFundConfirm, QString("5,"), 1500.0));
    EXPECT_TRUE(messages.texts()[0].contains("1500.00"));
    EXPECT_EQ(messages.texts()[1], Text(Str::AccountPlansFromCrewConfirm));
    EXPECT_DOUBLE_EQ(norm("PlanP1E", grade5).toDouble(), 1500); // the smallest fund of the crew
    EXPECT_EQ(norm("PlanP1E", grade4), QVariant());              // second answer No

    // The user's own figures stay; a share changed since updates every row; the plan of one
    // employee is written only on Yes, and an empty plan keeps the head count.
    run(QStringLiteral("delete from CrewList where ID_CrewList = %1").arg(nameless));
    run(QStringLiteral("update NormState set ExtPlan = 5, PlanP1E = 0, Required = 3 where ICathegory = %1").arg(grade5));
    run(QStringLiteral("update RepCath set [Value] = 200 where ICathegory = %1").arg(grade5));
    run(QStringLiteral("update RepCath set [Value] = 700 where ICathegory = %1 and IDevRep = %2").arg(grade4).arg(gaugeCheck));
    messages.clear();
    messages.answerNext(false);
    messages.answerNext(false);
    countNorm(crew1);
    EXPECT_EQ(messages.texts()[0], FormatText(Str::AccountMinimalFundConfirm, QString("5,"), 1700.0));
    EXPECT_DOUBLE_EQ(norm("PlanHour", grade4).toDouble(), 1858.8);
    EXPECT_DOUBLE_EQ(norm("PlanHour", grade5).toDouble(), 200);
    EXPECT_DOUBLE_EQ(norm("YearPlan", grade5).toDouble(), 205);
    EXPECT_DOUBLE_EQ(norm("PlanP1E", grade5).toDouble(), 0);
    EXPECT_DOUBLE_EQ(norm("Required", grade5).toDouble(), 3);
    setLanguageIndex(INSTREL_LANGUAGE);
}

TEST_F(LabourCountsTest, NormCountEdgeRows)
{
    // Shares all removed: PlanHour 0. A row without a category is left alone. Two members of one
    // category: the first one's fund. A crew without members is not asked for a minimal fund.
    run(QStringLiteral("insert into NormState (ICrew, ICathegory, PlanHour) values (%1, %2, 55)").arg(crew1).arg(grade3));
    run(QStringLiteral("insert into NormState (ICrew, PlanHour) values (%1, 77)").arg(crew1));
    member(crew1, grade4, 1600, 4);
    messages.answerNext(false);
    messages.answerNext(true);
    countNorm(crew1);
    EXPECT_DOUBLE_EQ(norm("PlanHour", grade3).toDouble(), 0);
    EXPECT_DOUBLE_EQ(scalar(QStringLiteral("select PlanHour from NormState where ICathegory is null")).toDouble(), 77);
    EXPECT_DOUBLE_EQ(norm("PlanP1E", grade4).toDouble(), 1760);

    const qint64 otherCheck = serviceRow(gauge, crew2, verification, 1, 12, 1, 2, 20);
    share(otherCheck, grade5, 40);
    messages.clear();
    countNorm(crew2);
    EXPECT_EQ(messages.texts(), QStringList{Text(Str::AccountPlansFromCrewConfirm)});
    EXPECT_DOUBLE_EQ(norm("PlanHour", grade5, crew2).toDouble(), 40);
}

TEST_F(LabourCountsTest, AFailingNormCountWritesNothing)
{
    run("create trigger refuse before update of YearPlan on NormState begin select raise(abort, 'refused'); end");
    EXPECT_THROW(countNorm(crew1), DatabaseError);
    EXPECT_EQ(scalar("select count(*) from NormState").toInt(), 0);
}

// ---------------------------------------------------------------- recount of a crew in one step

TEST_F(LabourCountsTest, RecountTakesTheStepsInTheOrderTheyDependOnEachOther)
{
    using S = LabourRecount::Step;
    EXPECT_EQ(LabourRecount::order(), (QList<S>{S::ServiceVolumes, S::Shares, S::WorkingFund, S::NormState}));
}

TEST_F(LabourCountsTest, RecountFollowsAChangedCountThroughVolumesSharesAndNormState)
{
    setLanguageIndex(1);
    run(QStringLiteral("update DevTypeCount set [Count] = 12 where IDevType = %1 and ICrew = %2").arg(gauge).arg(crew1));
    const LabourRecount::Result result = LabourRecount(db(), crew1).run();
    auto rCount = [this](qint64 row) { return number(QStringLiteral("select RCount from DevRep where ID_DevRep = %1").arg(row)); };
    auto shareOf = [this](qint64 row, qint64 grade) {
        return number(QStringLiteral("select [Value] from RepCath where IDevRep = %1 and ICathegory = %2").arg(row).arg(grade));
    };
    EXPECT_DOUBLE_EQ(rCount(gaugeCheck), 24);  // 12 devices x once a year x 2 hours
    EXPECT_DOUBLE_EQ(rCount(gaugeRepair), 60); // 12 x 0.5 x 10
    // The shares keep their proportions (600 : 100) and add up to the new volume.
    EXPECT_DOUBLE_EQ(shareOf(gaugeCheck, grade4), 20.571429);
    EXPECT_DOUBLE_EQ(shareOf(gaugeCheck, grade5), 3.428571);
    EXPECT_DOUBLE_EQ(shareOf(gaugeRepair, grade4), 60);
    EXPECT_DOUBLE_EQ(norm("PlanHour", grade4).toDouble(), 80.571429);
    EXPECT_DOUBLE_EQ(norm("YearPlan", grade5).toDouble(), 3.428571);

    const LabourRecount::Change volume{"Манометр МП-100, П", Text(Str::ColAnnualRate), 20.0, 24.0};
    const auto found = std::find_if(result.moved.begin(), result.moved.end(), [&](const LabourRecount::Change& c) {
        return c.subject == volume.subject && c.figure == volume.figure;
    });
    ASSERT_NE(found, result.moved.end()) << result.text("1").toStdString();
    EXPECT_DOUBLE_EQ(found->before.toDouble(), 20);
    EXPECT_DOUBLE_EQ(found->after.toDouble(), 24);
    // Both members lack the values of their fund: named, left as they were.
    EXPECT_EQ(result.notRecounted.size(), 2);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select DayFundP1E from CrewList where ICrew = %1 and [No] = 1").arg(crew1)), 1760);
    EXPECT_TRUE(result.text("Бригада 1").startsWith("Пересчитано для бригады Бригада 1:")) << result.text("1").toStdString();

    // Counted again at once, nothing moves.
    EXPECT_TRUE(LabourRecount(db(), crew1).run().moved.isEmpty());
    setLanguageIndex(INSTREL_LANGUAGE);
}

TEST_F(LabourCountsTest, RecountMovesAPlanTakenFromTheCrewWithItsFundButNotATypedOne)
{
    const qint64 day = insert("insert into WorkDayLenth (Name_WorkDayLenth, Lenth) values ('8 ч', 8)");
    const qint64 fund = insert("insert into DayFund (Name_DayFund, DayFundNum) values ('Пятидневка', 250)");
    const qint64 holiday = insert("insert into LostDayUsed (Name_LostDayUsed, LostDayUsed) values ('Отпуск', 24)");
    const qint64 losses = insert("insert into LostDayMiscPC (Name_LostDayMiscPC, LostDayMiscPC) values ('Прочие', 4)");
    run(QStringLiteral("update CrewList set DayFundP1E = 1700, IWorkDayLenth = %1, IDayFundNom = %2, ILostDayUsed = %3, "
                       "ILostDayMiscPC = %4 where ICrew = %5 and ICathegory = %6")
            .arg(day).arg(fund).arg(holiday).arg(losses).arg(crew1).arg(grade4));
    run(QStringLiteral("insert into NormState (ICrew, ICathegory, PlanP1E) values (%1, %2, 1700), (%1, %3, 1500)")
            .arg(crew1).arg(grade4).arg(grade5));
    const LabourRecount::Result result = LabourRecount(db(), crew1).run();
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select DayFundP1E from CrewList where ICathegory = %1").arg(grade4)), 1760);
    EXPECT_DOUBLE_EQ(norm("PlanP1E", grade4).toDouble(), 1760); // taken from the member, follows it
    EXPECT_DOUBLE_EQ(norm("PlanP1E", grade5).toDouble(), 1500); // typed by the planner, stays
    EXPECT_DOUBLE_EQ(norm("Required", grade4).toDouble(), LabourFigures::round6(norm("YearPlan", grade4).toDouble() / 1760));
    EXPECT_EQ(result.notRecounted.size(), 1); // the member of grade 3 still lacks its values
}

TEST_F(LabourCountsTest, ARecountThatFailsPartWayWritesNothing)
{
    run(QStringLiteral("update DevTypeCount set [Count] = 12 where IDevType = %1 and ICrew = %2").arg(gauge).arg(crew1));
    run("create trigger refuse before insert on NormState begin select raise(abort, 'refused'); end");
    EXPECT_THROW(LabourRecount(db(), crew1).run(), DatabaseError);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select RCount from DevRep where ID_DevRep = %1").arg(gaugeCheck)), 20);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select [Value] from RepCath where IDevRep = %1 and ICathegory = %2")
                                .arg(gaugeCheck).arg(grade4)), 600);
}
