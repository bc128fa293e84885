// The yearly plan window driven as a user would, offscreen, on the demo plant.
#include "app/MainFrm.h"
#include "app/ManagerFrm.h"
#include "app/WindowRegistry.h"
#include "data/Clock.h"
#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "plan/PivotModel.h"
#include "plan/ReportFrm.h"
#include "plan/ServicePalette.h"
#include "plan/YearUpDown.h"
#include "support/MessageRecorder.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "tables/FilterHeader.h"
#include "text/StrList.h"
#include "support/PdfText.h"
#include "tables/print/GridPrinter.h"

#include <QAbstractButton>
#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QPointer>
#include <QSet>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTableView>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

class ReportFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock::fix(QDateTime(QDate(2025, 3, 10), QTime(9, 0)));
        TestDatabase::createDemoDatabase(dir.path());
        dm = std::make_unique<TDM>();
        registerProgramWindows();
        main = std::make_unique<TMainForm>();
        main->show();
    }
    void TearDown() override
    {
        GridPrinter::setPreviewOutputFile({});
        main.reset();
        dm.reset();
        Clock::fix(QDateTime());
    }

    TReportForm* open()
    {
        main->updateActions();
        main->action("OpenReport")->trigger();
        return qobject_cast<TReportForm*>(main->findChildWindow("TReportForm"));
    }
    int planRows() { return dm->ADOConnection()->scalar("select count(*) from YearReport;").toInt(); }
    static void go(TReportForm* form, const QString& year)
    {
        form->findChild<QLineEdit*>("editYear")->setText(year);
        form->findChild<QPushButton*>("btnGo")->click();
    }
    static qint64 pivotTotal(TReportForm* form)
    {
        const PivotModel* model = form->pivotModel();
        qint64 sum = 0;
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 1; c < model->columnCount(); ++c)
                sum += model->index(r, c).data().toLongLong();
        return sum;
    }
    // As the toolbar's Swap does: the commands are enabled when the program is idle.
    static void swap(TReportForm* form)
    {
        form->updateOnIdle();
        form->action("Swap")->trigger();
    }
    static QTreeWidgetItem* topNode(TReportForm* form, const QString& startsWith)
    {
        QTreeWidget* tree = form->groupTree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->topLevelItem(i)->text(0).startsWith(startsWith))
                return tree->topLevelItem(i);
        return nullptr;
    }

    TempWorkDir dir;
    MessageRecorder messages;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TMainForm> main;
};

} // namespace

TEST_F(ReportFormTest, OpensOnceWithItsYearBoxAndEmptiesALeftoverPlan)
{
    dm->ADOConnection()->execute("insert into YearReport (IDevice, repdate, IRep) "
                                 "select IDevice, '2025-04-01 00:00:00', IRep from nextrepview where IRep is not null;");
    ASSERT_GT(planRows(), 0);
    TReportForm* form = open();
    ASSERT_TRUE(form);
    EXPECT_EQ(open(), form);
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(form->windowTitle(), "Отчеты и графики обслуживаний");
    EXPECT_EQ(planRows(), 0);
    EXPECT_EQ(form->dsMain()->objectName(), "dsReport");
    EXPECT_EQ(form->dsMain()->recordCount(), 0);
    EXPECT_EQ(form->findChild<QLineEdit*>("editYear")->text(), "2025");
    auto* upDown = form->findChild<YearUpDown*>("UpDown1");
    ASSERT_TRUE(upDown);
    EXPECT_EQ(upDown->minimum(), 2025);
    EXPECT_EQ(upDown->maximum(), 3000);
    upDown->stepBy(1);
    EXPECT_EQ(form->findChild<QLineEdit*>("editYear")->text(), "2026");
    for (const char* hidden : {"btnInsert", "btnSame", "btnDelete"})
        EXPECT_TRUE(form->findChild<QAbstractButton*>(hidden)->isHidden()) << hidden;
    EXPECT_EQ(form->dsMain()->field("ANumber")->label(), "Инвентарный номер");
    EXPECT_EQ(form->SavedPivotSql(), form->c1()->sql());
}

TEST_F(ReportFormTest, GoChecksTheYearThenFillsTheListAndTheTree)
{
    TReportForm* form = open();
    // The mask lets no letter in; a year typed in part, or year 0, is no year either. The text stays.
    for (const QString typed : {"abc", "20", "0000"}) {
        messages.clear();
        go(form, typed);
        EXPECT_EQ(messages.texts(), QStringList({"Неправильно введен год"})) << typed.toStdString();
        EXPECT_EQ(form->findChild<QLineEdit*>("editYear")->text(), typed == "abc" ? QString() : typed);
    }
    messages.clear();
    go(form, "2024");
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_EQ(messages.texts()[0], "Parameter should be more or is equal to the current year");
    EXPECT_EQ(planRows(), 0);

    messages.clear();
    form->setGroupFields({"Short_Reps"});
    go(form, "2025");
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("\n").toStdString();
    ASSERT_GT(planRows(), 0);
    EXPECT_EQ(form->dsMain()->recordCount(), dm->ADOConnection()->scalar("select count(*) from YearReportView;").toInt());
    EXPECT_GT(form->groupTree()->topLevelItemCount(), 0);

    // Enter in the year field runs GO too.
    const int rows2025 = planRows();
    form->findChild<QLineEdit*>("editYear")->setText("2026");
    QTest::keyClick(form->findChild<QLineEdit*>("editYear"), Qt::Key_Return);
    EXPECT_NE(planRows(), rows2025);
    EXPECT_EQ(form->dsMain()->value("Year").toInt(), 2026);

    // An incomplete year, which the mask holds back from returnPressed, gets GO's answer too.
    messages.clear();
    auto* year = form->findChild<QLineEdit*>("editYear");
    year->clear();
    QTest::keyClicks(year, "20");
    QTest::keyClick(year, Qt::Key_Enter);
    EXPECT_EQ(messages.texts(), QStringList{"Неправильно введен год"});
    messages.clear();
    year->clear();
    QTest::keyClick(year, Qt::Key_Return);
    EXPECT_EQ(messages.texts(), QStringList{"Неправильно введен год"});
}

TEST(ServicePalette, EightColoursApartThenHatchedFillsNoneTwice)
{
    QSet<QRgb> colours;
    for (int i = 0; i < ServicePalette::colourCount(); ++i) {
        EXPECT_EQ(ServicePalette::fillOf(i).pattern, Qt::SolidPattern) << i;
        colours.insert(ServicePalette::fillOf(i).colour.rgb());
    }
    EXPECT_EQ(colours.size(), 8);
    EXPECT_EQ(ServicePalette::fillOf(0).colour, QColor(0xd5, 0x5e, 0x00)); // a lone service is red
    QList<ServicePalette::Fill> fills;
    for (int i = 0; i < 64; ++i) {
        const ServicePalette::Fill fill = ServicePalette::fillOf(i);
        EXPECT_FALSE(fills.contains(fill)) << i;
        fills.append(fill);
    }
    EXPECT_NE(ServicePalette::fillOf(8).pattern, Qt::SolidPattern);
    EXPECT_EQ(ServicePalette::fillOf(8).colour, ServicePalette::fillOf(0).colour);
}

TEST_F(ReportFormTest, EachServiceOfTheChartHasItsOwnFillAndNoAxisIsLeftBehind)
{
    TReportForm* form = open();
    go(form, "2025");
    swap(form);
    ASSERT_GE(form->pivotModel()->pivot().rowCount(), 2);
    const QList<QAbstractSeries*> series = form->chart()->series();
    ASSERT_EQ(series.size(), 1);
    const QList<QBarSet*> sets = static_cast<QBarSeries*>(series[0])->barSets();
    ASSERT_EQ(sets.size(), form->pivotModel()->pivot().rowCount());
    for (int i = 0; i < sets.size(); ++i) {
        SCOPED_TRACE(sets[i]->label().toStdString());
        EXPECT_EQ(sets[i]->brush().color(), ServicePalette::fillOf(i).colour);
        EXPECT_EQ(sets[i]->brush().style(), ServicePalette::fillOf(i).pattern);
    }

    // Each show and hide of the page builds the axes anew; the old ones go.
    QList<QPointer<QAbstractAxis>> axes;
    for (QAbstractAxis* axis : form->chart()->axes())
        axes.append(axis);
    ASSERT_EQ(axes.size(), 2);
    swap(form);
    swap(form);
    for (const QPointer<QAbstractAxis>& axis : axes)
        EXPECT_TRUE(axis.isNull());
    EXPECT_EQ(form->chart()->axes().size(), 2);
}

TEST_F(ReportFormTest, ThePivotCountsWhatTheListShows)
{
    TReportForm* form = open();
    swap(form); // before any GO: empty and silent
    EXPECT_TRUE(form->isFormView());
    EXPECT_EQ(form->pivotModel()->rowCount(), 0);
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_TRUE(form->findChild<QAbstractButton*>("btnFirst")->isHidden());
    swap(form);
    EXPECT_FALSE(form->findChild<QAbstractButton*>("btnFirst")->isHidden());

    go(form, "2025");
    // A planned service whose service row is gone: the list shows it with no short name.
    dm->ADOConnection()->execute("insert into YearReport (IDevice, repdate, IRep) "
                                 "select min(ID_Device), '2025-06-10 00:00:00', -1 from Device;");
    form->RequeryKeepRow();
    form->setGroupFields({"Short_Reps"});
    swap(form);
    EXPECT_FALSE(form->c1()->sql().contains("where"));
    EXPECT_EQ(pivotTotal(form), form->dsMain()->recordCount());
    swap(form);
    EXPECT_FALSE(form->c1()->isActive()); // open only while the page shows

    for (const QString& node : {QString("<нет>"), form->groupTree()->topLevelItem(1)->text(0).section(' ', 0, 0)}) {
        QTreeWidgetItem* item = topNode(form, node);
        ASSERT_TRUE(item) << node.toStdString();
        form->groupTree()->setCurrentItem(item);
        form->GroupTreeClick();
        const int listed = form->dsMain()->recordCount();
        ASSERT_GT(listed, 0);
        swap(form);
        EXPECT_EQ(pivotTotal(form), listed) << node.toStdString() << " " << form->c1()->sql().toStdString();
        swap(form);
    }

    // The filter row narrows both as well, a ";" in the value included.
    form->setGroupFields({});
    form->updateOnIdle(); // the idle step lets go of the node's filter with the tree
    const int column = form->dsMain()->fieldIndex("Month");
    emit form->filterHeader()->filterChanged(column, "6");
    const int listed = form->dsMain()->recordCount();
    ASSERT_GT(listed, 0);
    swap(form);
    EXPECT_EQ(pivotTotal(form), listed) << form->c1()->sql().toStdString() << "\n" << form->dsMain()->sql().toStdString();
    EXPECT_EQ(form->pivotModel()->columnCount(), 2); // the names, and June
    swap(form);
    emit form->filterHeader()->filterChanged(form->dsMain()->fieldIndex("ANumber"), "'x;y'");
    swap(form);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("\n").toStdString();
    EXPECT_EQ(pivotTotal(form), 0);
    swap(form);
}

TEST_F(ReportFormTest, APivotThatCannotBeReadSaysSoAndGoesBackToTheList)
{
    TReportForm* form = open();
    go(form, "2025");
    ASSERT_GT(form->dsMain()->recordCount(), 0);
    // A view that lost its columns, as in a file changed by hand: the list still reads it.
    dm->ADOConnection()->execute("drop view YearReportView;");
    dm->ADOConnection()->execute("create view YearReportView as select * from YearReport;");
    swap(form);
    EXPECT_FALSE(form->isFormView());
    EXPECT_EQ(messages.texts(), QStringList{Text(Str::PlanChooseGroupRow)});
    ASSERT_FALSE(messages.shown().isEmpty());
    EXPECT_EQ(messages.shown().first().kind, MessageService::Kind::Error);
    EXPECT_FALSE(form->c1()->isActive());
    EXPECT_EQ(form->pivotModel()->rowCount(), 0);
}

TEST_F(ReportFormTest, ChartPrintIsOnePageWithItsTextsAndClosingEmptiesThePlan)
{
    TReportForm* form = open();
    form->parentWidget()->resize(1100, 750); // room for the axis titles in full
    go(form, "2025");
    swap(form);
    ASSERT_GT(form->pivotModel()->rowCount(), 0);
    const QString pdf = dir.file("chart.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    // The main window's Preview prints the page even with the focus in the pivot grid.
    form->findChild<QWidget*>("DecisionGrid1")->setFocus();
    QTest::qWait(50); // the chart lays itself out when events are processed, as on screen
    main->updateActions();
    main->action("Preview")->trigger();
    ASSERT_TRUE(QFile::exists(pdf));
    QProcess info;
    info.start("pdfinfo", {pdf});
    info.waitForFinished();
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Pages:\\s+1\\n")));
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    text.waitForFinished();
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString& expected : {QString("Колич."), QString("Месяц"), form->pivotModel()->pivot().rowTitle(0)})
        EXPECT_TRUE(printed.contains(expected)) << expected.toStdString() << "\n" << printed.toStdString();

    ASSERT_GT(planRows(), 0);
    form->parentWidget()->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(planRows(), 0);
    EXPECT_TRUE(main->mdiArea()->subWindowList().isEmpty());
}

// From a tall narrow window the chart is laid out for the page, not squeezed into the window's
// proportions: its axis titles print, under a title naming the plan's year and the print date, and
// nothing runs into the margins.
TEST_F(ReportFormTest, ChartPrintFromANarrowWindowUsesThePage)
{
    TReportForm* form = open();
    go(form, "2025");
    form->parentWidget()->resize(320, 1600);
    swap(form);
    QTest::qWait(50);
    ASSERT_GT(form->pivotModel()->rowCount(), 0);
    const QString pdf = dir.file("narrow.pdf");
    GridPrinter::setPreviewOutputFile(pdf);
    main->updateActions();
    main->action("Preview")->trigger();
    ASSERT_EQ(PdfText::pageCount(pdf), 1);
    EXPECT_TRUE(PdfText::info(pdf, "Page size").contains("842 x 595")) << "landscape";
    const QString printed = PdfText::text(pdf);
    for (const QString& expected : {QString("Колич."), QString("Месяц"), QString("График обслуживания на 2025 год"),
                                    QString("Напечатано 10.03.2025")})
        EXPECT_TRUE(printed.contains(expected)) << expected.toStdString() << "\n" << printed.toStdString();

    QProcess boxes;
    boxes.start("pdftotext", {"-bbox", pdf, "-"});
    boxes.waitForFinished();
    const QString words = QString::fromUtf8(boxes.readAllStandardOutput());
    const QRegularExpression word("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">");
    const double tenMm = 10 / 25.4 * 72 - 0.5;
    int count = 0;
    for (auto it = word.globalMatch(words); it.hasNext(); ++count) {
        const QRegularExpressionMatch m = it.next();
        EXPECT_GE(m.captured(1).toDouble(), tenMm);
        EXPECT_GE(m.captured(2).toDouble(), tenMm);
        EXPECT_LE(m.captured(3).toDouble(), 842 - tenMm);
        EXPECT_LE(m.captured(4).toDouble(), 595 - tenMm);
    }
    EXPECT_GT(count, 5);
}

TEST_F(ReportFormTest, ManagerCodesOpenTheTableOrTheChartView)
{
    main->updateActions();
    main->action("OpenManager")->trigger();
    auto* manager = qobject_cast<TManagerForm*>(main->findChildWindow("TManagerForm"));
    ASSERT_TRUE(manager);
    manager->runCode(31);
    TReportForm* form = qobject_cast<TReportForm*>(main->findChildWindow("TReportForm"));
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->isFormView());
    EXPECT_TRUE(form->findChild<QAbstractButton*>("btnFirst")->isHidden());
    manager->runCode(30);
    EXPECT_FALSE(form->isFormView());
}

TEST_F(ReportFormTest, ClosingDuringGoCancelsFirstAndLeavesNoHalfPlan)
{
    TReportForm* form = open();
    TReportForm::setProgressDelay(0);
    // The close arrives while the progress dialog lets events through, as a STOP from a later start would.
    QTimer::singleShot(0, form->parentWidget(), &QWidget::close);
    go(form, "2026");
    TReportForm::setProgressDelay(500);
    EXPECT_EQ(planRows(), 0);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(main->mdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("\n").toStdString();
}

// A STOP from a later start closes every window and leaves the event loop: the plan must be gone
// when the generation has given way, not at a queued close the ending program never reaches.
TEST_F(ReportFormTest, StopDuringASecondGoEmptiesThePlanAtOnce)
{
    TReportForm* form = open();
    go(form, "2025");
    ASSERT_GT(planRows(), 0);
    TReportForm::setProgressDelay(0);
    QTimer::singleShot(0, main.get(), [this] { main->mdiArea()->closeAllSubWindows(); });
    go(form, "2026");
    TReportForm::setProgressDelay(500);
    EXPECT_EQ(planRows(), 0);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("\n").toStdString();
}

TEST_F(ReportFormTest, AFailingDeleteOnClosingIsShownAndTheWindowStillCloses)
{
    TReportForm* form = open();
    go(form, "2025");
    dm->ADOConnection()->execute("create trigger keep before delete on YearReport "
                                 "begin select raise(abort, 'the plan is kept'); end;");
    form->parentWidget()->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(main->mdiArea()->subWindowList().isEmpty());
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].contains("the plan is kept")) << messages.texts()[0].toStdString();
}
