#include "AccountFixture.h"

#include "data/Clock.h"
#include "support/PdfText.h"
#include "support/QtPrinters.h"
#include "tables/print/GridPrinter.h"
#include "tables/SelectFrm.h"
#include "labour/rules/TypeAllowanceContent.h"

#include <QFile>

namespace {

// The three reports printed from the labour window through the preview's test seam: each click
// of a print button writes the report's PDF, which is read back as text.
class ReportsTest : public AccountFormTest {
protected:
    void SetUp() override
    {
        AccountFormTest::SetUp();
        Clock::fix(QDateTime(QDate(2026, 3, 5), QTime(9, 0)));
        GridPrinter::setPreviewOutputFile(pdf);
    }
    void TearDown() override
    {
        GridPrinter::setPreviewOutputFile({});
        TDualListDlg::setScript({});
        Clock::fix({});
        AccountFormTest::TearDown();
    }

    // Clicks a print button and returns the text of the report's pages.
    QStringList print(const QString& button)
    {
        QFile::remove(pdf);
        click(button);
        EXPECT_TRUE(QFile::exists(pdf)) << button.toStdString();
        EXPECT_TRUE(messages.shown().isEmpty()) << messages.texts().join("|").toStdString();
        return PdfText::pages(pdf);
    }
    static QString line(const QString& text, const QString& containing)
    {
        for (const QString& l : text.split('\n'))
            if (l.contains(containing))
                return l;
        return {};
    }
    static int lineIndex(const QString& text, const QString& containing)
    {
        return int(text.split('\n').indexOf(QRegularExpression(".*" + QRegularExpression::escape(containing) + ".*")));
    }
    // The dual list dialog answers through `answer`, which gets its caption and source texts;
    // every question is kept.
    void answerDialogs(std::function<bool(TDualListDlg&)> answer)
    {
        TDualListDlg::setScript([this, answer](TDualListDlg& dialog) {
            QStringList offered;
            for (const auto& entry : dialog.source())
                offered << entry.text;
            questions << dialog.windowTitle() + ": " + offered.join(", ") + " max " + QString::number(dialog.maxCount());
            return answer(dialog);
        });
    }
    static bool choose(TDualListDlg& dialog, const QStringList& inOrder)
    {
        for (const QString& text : inOrder) {
            dialog.selectTexts(DualListMoves::Source, {text});
            dialog.IncludeBtnClick();
        }
        return true;
    }

    const QString pdf = dir.file("report.pdf");
    QStringList questions;
};

} // namespace

TEST_F(ReportsTest, TypeReportOfACrewWithFewServicesAsksNothing)
{
    openPage(0);
    answerDialogs([](TDualListDlg&) { return false; });
    ASSERT_TRUE(ds("dsDevType")->locate("ID_DevType", thermometer));
    const QStringList pages = print("btnPrintDevType");
    EXPECT_TRUE(questions.isEmpty()) << questions.join("|").toStdString();
    EXPECT_EQ(ds("dsDevType")->value("ID_DevType").toLongLong(), thermometer) << "the window's rows stay where they were";
    ASSERT_EQ(pages.size(), 1);
    const QString& text = pages[0];
    EXPECT_TRUE(text.contains("Нормы времени на обслуживание типов устройств"));
    EXPECT_TRUE(text.contains("Цех КИП"));
    EXPECT_TRUE(text.contains("Бригада 1"));
    EXPECT_TRUE(text.contains("Лист 1 из 1"));
    EXPECT_TRUE(text.contains("05.03.2026"));
    for (const char* caption : {"№№", "Наименование оборудования", "Норма времени", "Повторяемость", "Годовой объем",
                                "Общ.колич.", "Разр", "Часы", "17"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(caption))) << caption;
    EXPECT_TRUE(line(text, "Поверка").contains("Ремонт")) << "the crew's two services head their columns";

    // The gauge: grade 4 has 600 and 1158,8 hours, grade 5 has 100; grade 3 has nothing and no total.
    EXPECT_TRUE(line(text, "1758,80").contains("600"));
    EXPECT_TRUE(line(text, "1758,80").contains("1158,8"));
    EXPECT_TRUE(line(text, "1758,80").contains("0,5")) << "the repetition stands under the rate time";
    EXPECT_TRUE(line(text, "100,00").contains("100"));
    EXPECT_EQ(text.count("1758,80"), 2) << "the type's line and the closing totals";
    EXPECT_FALSE(text.contains(QRegularExpression("(^|\\s)0,00"))) << "a line without hours has no total";
    EXPECT_TRUE(text.contains("Итого"));
    // The thermometer has neither devices nor service rows in this crew: it is left out.
    EXPECT_TRUE(text.contains("Манометр"));
    EXPECT_FALSE(text.contains("Термометр"));
}

TEST_F(ReportsTest, TypeReportOfACrewWithSixServicesShowsTheChoiceInItsOrder)
{
    for (const char* name : {"Осмотр", "Замена", "Чистка", "Наладка"})
        insert(QStringLiteral("insert into Reps (Name_Reps, Short_Reps) values ('%1', '%1')").arg(QString::fromUtf8(name)));
    for (const char* grade : {"6", "7", "8", "9"})
        insert(QStringLiteral("insert into Cathegory (Name_Cathegory, Cathegory) values ('Мастер', %1)").arg(grade));
    qint64 no = 1;
    std::map<QString, qint64> rowOf;
    const auto services = db().select("select ID_Reps, Name_Reps from Reps order by ID_Reps");
    for (int r = 0; r < services->rowCount(); ++r)
        rowOf[services->value(r, 1).toString()] =
            serviceRow(gauge, crew2, services->value(r, 0).toLongLong(), int(no++), 12, 1, 2, 1);
    // A service row whose service is not chosen yet has nothing to offer.
    insert(QStringLiteral("insert into DevRep (IDevType, ICrew, R_No) values (%1, %2, 9)").arg(thermometer).arg(crew2));
    share(rowOf["Чистка"], grade4, 12.5);
    share(rowOf["Поверка"], grade4, 7.25);
    run(QStringLiteral("update DevTypeCount set [Count] = 3 where ICrew = %1").arg(crew2));

    openPage(0);
    chooseCrew("editCrewDep", crew2);
    answerDialogs([](TDualListDlg& dialog) {
        return dialog.maxCount() == 4 ? choose(dialog, {"Чистка", "Поверка", "Наладка", "Ремонт"}) : false;
    });
    QStringList pages = print("btnPrintDevType");
    EXPECT_EQ(questions, (QStringList{"Выберите обслуживания (макс=4): Замена, Наладка, Осмотр, Поверка, Ремонт, Чистка max 4",
                                      "Выберите разряды (макс=6): Мастер, Мастер, Мастер, Мастер, Наладчик, Слесарь, "
                                      "Слесарь max 6"}));
    ASSERT_EQ(pages.size(), 1);
    QString titles = line(pages[0], "Наладка");
    EXPECT_LT(titles.indexOf("Чистка"), titles.indexOf("Поверка"));
    EXPECT_LT(titles.indexOf("Поверка"), titles.indexOf("Наладка"));
    EXPECT_LT(titles.indexOf("Наладка"), titles.indexOf("Ремонт"));
    EXPECT_FALSE(pages[0].contains("Осмотр"));
    EXPECT_TRUE(line(pages[0], "19,75").contains("12,5")) << "12,5 + 7,25 in one category line";
    EXPECT_TRUE(line(pages[0], "19,75").contains("7,25"));

    // Cancelled: the first four services by key; confirmed without a choice: no service columns.
    questions.clear();
    answerDialogs([](TDualListDlg& dialog) { return dialog.maxCount() == 6; });
    pages = print("btnPrintDevType");
    ASSERT_EQ(questions.size(), 2) << "asked again on every preview";
    titles = line(pages[0], "Осмотр");
    EXPECT_LT(titles.indexOf("Поверка"), titles.indexOf("Ремонт"));
    EXPECT_LT(titles.indexOf("Ремонт"), titles.indexOf("Осмотр"));
    EXPECT_LT(titles.indexOf("Осмотр"), titles.indexOf("Замена"));
    EXPECT_FALSE(pages[0].contains("Чистка"));
    EXPECT_FALSE(pages[0].contains("19,75")) << "no category line chosen, no hours";
    EXPECT_TRUE(pages[0].contains("Манометр"));
}

// Titles longer than their cells wrap and shrink instead of being cut at the cell's edges.
TEST_F(ReportsTest, ServiceTitlesOfTheTypeReportPrintWhole)
{
    run("update Reps set Name_Reps = 'Калибровка' where Name_Reps = 'Поверка'");
    run("update Reps set Name_Reps = 'Техническое обслуживание' where Name_Reps = 'Ремонт'");
    openPage(0);
    ASSERT_TRUE(ds("dsDevType")->locate("ID_DevType", thermometer));
    const QString types = print("btnPrintDevType").join('\n');
    // Each service heads two columns; the report's own title has one "обслуживание" more.
    const std::pair<const char*, int> words[] = {{"Калибровка", 2}, {"Техническое", 2}, {"обслуживание", 3}};
    for (const auto& [word, count] : words)
        EXPECT_EQ(types.count(QString::fromUtf8(word)), count) << word << "\n" << types.toStdString();
}

TEST_F(ReportsTest, RotatedCaptionsOfTheCrewListPrintWhole)
{
    member(crew1, grade5, 1800, 3);
    openPage(1);
    chooseCrew("editCrewDep2", crew1);
    const QString crews = print("btnPrintCrewList").join('\n');
    for (const char* word : {"Разряды", "сотрудников", "Сменность", "явочная", "Эффективный", "часах"})
        EXPECT_TRUE(crews.contains(QString::fromUtf8(word))) << word << "\n" << crews.toStdString();
}

TEST_F(ReportsTest, CrewListRunsTheCrewNameDownItsColumnOnceAndPrintsTheSameTwice)
{
    run(QStringLiteral("update Crew set Name_Crew = 'Бригада аналитических приборов' where ID_Crew = %1").arg(crew1));
    member(crew1, grade5, 1800, 3);
    for (int no = 1; no <= 3; ++no)
        run(QStringLiteral("update CrewList set ProfNaimen = 'Профессия %1', ProfNum = %1 where [No] = %1").arg(no));
    openPage(1);
    chooseCrew("editCrewDep2", crew1);
    const QStringList pages = print("btnPrintCrewList");
    ASSERT_EQ(pages.size(), 1);
    const QString& text = pages[0];
    for (const char* caption : {"Подразделение", "Бригада", "Наименование рабочего места", "Продолжит.",
                                "рабочего дня", "Невыходы в %", "очередные", "отпуска", "прочие", "потери %"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(caption))) << caption;
    EXPECT_EQ(text.count("Цех КИП"), 1) << "the department on the first row only";
    EXPECT_FALSE(text.contains("аналитических")) << "the crew's name only in 12-character pieces";
    const int first = lineIndex(text, "Бригада анал"), second = lineIndex(text, "итических пр"),
              third = lineIndex(text, "иборов");
    ASSERT_GE(first, 0);
    EXPECT_EQ(second, first + 1);
    EXPECT_GT(third, lineIndex(text, "Профессия 1"));
    EXPECT_LT(third, lineIndex(text, "Профессия 3"));
    EXPECT_TRUE(line(text, "Итого").contains("6")) << "1 + 2 + 3 heads";

    EXPECT_EQ(print("btnPrintCrewList"), pages) << "a second printing starts the name again";

    chooseCrew("editCrewDep2", crew2);
    const QString empty = print("btnPrintCrewList").join('\f');
    EXPECT_TRUE(empty.contains("Наименование рабочего места"));
    EXPECT_FALSE(empty.contains("Бригада 2"));
    EXPECT_FALSE(empty.contains("Цех КИП"));
}

TEST_F(ReportsTest, NormReportPrintsTheRowsInCategoryOrderWithTheirTotals)
{
    const auto norm = [this](qint64 grade, const char* values) {
        run(QStringLiteral("insert into NormState (ICrew, ICathegory, PlanHour, ExtPlanPC, ExtPlan, YearPlan, PlanP1E, "
                           "Required) values (%1, %2, %3)")
                .arg(crew1)
                .arg(grade)
                .arg(QString::fromLatin1(values)));
    };
    norm(grade5, "100.5, 10, 10.05, 110.55, 1760, 0.06");
    norm(grade3, "200, 10, 20, 220, 1700, 0.125");
    openPage(2);
    chooseCrew("editCrewDep3", crew1);
    const QStringList pages = print("btnPrintNormAcc");
    ASSERT_EQ(pages.size(), 1);
    const QString& text = pages[0];
    EXPECT_TRUE(text.contains("Расчет штатных нормативов"));
    EXPECT_TRUE(text.contains("Плановое количество часов на весь комплекс работ"));
    for (const char* caption : {"Разряд рабочего", "в % от плана", "в часах", "Потребная численность"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(caption))) << caption;
    EXPECT_TRUE(text.contains("Цех КИП") && text.contains("Бригада 1"));
    EXPECT_LT(lineIndex(text, "1700"), lineIndex(text, "1760")) << "category 3 before category 5";
    const QString totals = line(text, "Итого");
    for (const char* sum : {"300,50", "30,05", "330,55", "0,18"})
        EXPECT_TRUE(totals.contains(QString::fromUtf8(sum))) << sum << " in " << totals.toStdString();
}

// Shares divided by the program carry six decimals (19,499981 hours); shown so, every figure reads as
// noise. They print with two places, rounded once from what is stored, which stays as it was.
TEST_F(ReportsTest, FiguresPrintWithTheirPlacesAndStayStoredAsComputed)
{
    run(QStringLiteral("update RepCath set [Value] = 19.499981 where IDevRep = %1 and ICathegory = %2").arg(gaugeCheck).arg(grade4));
    run(QStringLiteral("update RepCath set [Value] = 1746.640001 where IDevRep = %1 and ICathegory = %2").arg(gaugeRepair).arg(grade4));
    run(QStringLiteral("insert into NormState (ICrew, ICathegory, PlanHour, ExtPlanPC, ExtPlan, YearPlan, PlanP1E, "
                       "Required) values (%1, %2, 336.849942, 10, 33.684994, 370.534936, 1760, 0.210531)")
            .arg(crew1)
            .arg(grade4));
    openPage(0);
    answerDialogs([](TDualListDlg&) { return false; });
    const QString types = print("btnPrintDevType").join("\n");
    EXPECT_TRUE(line(types, "1766,14").contains("19,50")) << types.toStdString();
    EXPECT_TRUE(line(types, "1766,14").contains("1746,64"));

    tabs()->setCurrentIndex(2);
    settle();
    chooseCrew("editCrewDep3", crew1);
    const QString norms = print("btnPrintNormAcc").join("\n");
    for (const char* figure : {"336,85", "33,68", "370,53", "0,21"})
        EXPECT_TRUE(line(norms, "336,85").contains(QString::fromUtf8(figure))) << figure;
    for (const QString& text : {types, norms})
        EXPECT_FALSE(text.contains(QRegularExpression("\\d,\\d{3}"))) << text.toStdString();

    // The window's lists show the same, and keep the stored values.
    Dataset* shares = ds("dsRepCath");
    tabs()->setCurrentIndex(0);
    settle();
    ASSERT_TRUE(ds("dsDevType")->locate("ID_DevType", gauge));
    ASSERT_TRUE(ds("dsDevRep")->locate("ID_DevRep", gaugeCheck));
    ASSERT_TRUE(shares->locate("ICathegory", grade4));
    EXPECT_EQ(shares->displayText(shares->currentRow(), shares->fieldIndex("Value")), "19,50");
    EXPECT_DOUBLE_EQ(shares->value("Value").toDouble(), 19.499981);
    EXPECT_DOUBLE_EQ(db().scalar(QStringLiteral("select PlanHour from NormState where ICathegory = %1").arg(grade4)).toDouble(),
                     336.849942);
}

// A crew lists every type of the plant; the report keeps those with devices counted or with a row of
// a service it shows, and numbers them again.
TEST(TypeAllowanceContent, TypesWithoutFiguresAreLeftOut)
{
    using Content = TypeAllowanceContent;
    const std::vector<Content::Type> types = {{1, "1", "Манометр", "", "10"}, {2, "2", "Термометр", "", ""},
                                              {3, "3", "Датчик", "", "0"},    {4, "4", "Клапан", "", "0"},
                                              {5, "5", "Реле", "", "2,5"}};
    const std::vector<Content::Choice> shown = {{7, "Поверка"}};
    const std::vector<Content::ServiceRow> rows = {{1, 3, 7, "2", "1"}, {2, 4, 8, "2", "1"}};
    QStringList kept;
    for (const Content::Type& t : Content::typesWithFigures(types, shown, rows))
        kept << t.recN + " " + t.name;
    EXPECT_EQ(kept, QStringList({"1 Манометр", "2 Датчик", "3 Реле"}));
}
