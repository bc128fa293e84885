#include "plan/ReportFrm.h"

#include "app/Application.h"
#include "data/Clock.h"
#include "data/DMFrm.h"
#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/ResultSet.h"
#include "data/SessionTables.h"
#include "plan/ChartPagePrinter.h"
#include "plan/PivotModel.h"
#include "plan/ServiceChart.h"
#include "plan/YearUpDown.h"
#include "plan/rules/PivotQuery.h"
#include "plan/rules/ServicePivot.h"
#include "plan/rules/YearReportBuilder.h"
#include "tables/DateText.h"
#include "tables/FilterHeader.h"
#include "tables/FilterRowQuery.h"
#include "tables/print/GridPrinter.h"
#include "text/StrList.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>

namespace {

constexpr int kHighestYear = 3000;       // where the spinner stops; typed years go further
int progressDelayMs = 500;                // a generation shorter than this shows no dialog
constexpr int kProgressStep = 512;        // records between two looks at the progress dialog

struct ColumnLabel {
    const char* field;
    Str label;
};

const ColumnLabel kLabels[] = {
    {"Year", Str::PlanColYear},
    {"Month", Str::PlanColMonth},
    {"Short_Reps", Str::ColShortServiceName},
    {"Name_Reps", Str::ColFullServiceName},
    {"ID_Device", Str::ColDeviceId},
    {"ZNumber", Str::ColManufactureCode},
    {"ANumber", Str::ColAccessCode},
    {"Name_System", Str::ColSystem},
    {"Name_DevType", Str::ColType},
    {"Mark_DevType", Str::ColModel},
    {"Name_Location", Str::ColLocation},
    {"Name_LocSet", Str::ColPlace},
    {"SetDate", Str::ColSetupDate},
    {"SetPlace", Str::ColExtPlace},
    {"Name_Class", Str::ColClass},
    {"Name_Mere", Str::ColMeasurement},
    {"Name_Dest", Str::ColAssignment},
    {"Name_State", Str::ColState},
    {"Name_Marg", Str::ColRange},
    {"Name_Scale", Str::ColScale},
    {"Name_Grade", Str::ColGraduation},
    {"Name_Naim", Str::ColName},
    {"Name_Prec", Str::ColAccuracy},
    {"Comments", Str::ColComments},
};

// Enter in the year field runs GO whatever the field holds: the input mask withholds returnPressed
// while the year is incomplete, and the user would get no answer at all.
class EnterRuns : public QObject {
public:
    EnterRuns(QObject* parent, std::function<void()> run) : QObject(parent), m_run(std::move(run)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_run();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_run;
};

} // namespace

QString TReportForm::mainQueryOnOwnPlan()
{
    SessionTables::prepareYearPlan(*TDM::instance()->ADOConnection());
    return mainQuery();
}

TReportForm::TReportForm(QWidget* parent) : TBaseForm(mainQueryOnOwnPlan(), parent)
{
    setObjectName(QStringLiteral("ReportForm"));
    setWindowTitle(withoutAccelerator(Text(Str::WinServiceReports)));
    dsMain()->setObjectName(QStringLiteral("dsReport"));
    m_savedPivotSql = PivotQuery::savedText();
    m_c1 = new Dataset(dsMain()->connection(), this);
    m_c1->setObjectName(QStringLiteral("c1"));
    m_c1->setSql(m_savedPivotSql);

    buildYearBox();
    buildChartPage();
    setLabels();
    // Long titles ("Аббревиатура обслуживания") over narrow columns of short values.
    filterHeader()->setWrappedTitles(true);
    hideButton(QStringLiteral("btnInsert"));
    hideButton(QStringLiteral("btnSame"));
    hideButton(QStringLiteral("btnDelete"));
    setCommand(QStringLiteral("Swap"), [this] { SwapClick(); });
    setCommand(QStringLiteral("Print"), [this] { PrintClick(); });
    setPageHandlers(FormPanel()->widget(0), [this] { TabSheet1Show(); }, [this] { TabSheet1Hide(); });
    // The main window's Preview runs Print here even while the pivot grid has the focus: the chart
    // view prints its page, not the grid that happens to be focused.
    setProperty("PreviewRunsPrint", true);

    // A plan left behind by a program that ended without closing the window.
    if (dsMain()->connection()->scalar(QStringLiteral("select top 1 ID_YearReport from YearReport;")).isValid()) {
        emptyPlan();
        dsMain()->requery();
    }
}

void TReportForm::buildYearBox()
{
    m_yearBox = new QGroupBox(Text(Str::PlanYearBox), GridPanel());
    m_yearBox->setObjectName(QStringLiteral("YearGroupBox"));
    auto* layout = new QHBoxLayout(m_yearBox);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(2);
    m_editYear = new QLineEdit(m_yearBox);
    m_editYear->setObjectName(QStringLiteral("editYear"));
    m_editYear->setInputMask(QStringLiteral("9999"));
    m_editYear->setMaxLength(4);
    m_editYear->setFixedWidth(m_editYear->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_upDown = new YearUpDown(m_yearBox);
    m_upDown->setObjectName(QStringLiteral("UpDown1"));
    const int thisYear = Clock::today().year();
    m_upDown->setRange(thisYear, kHighestYear);
    m_upDown->setValue(thisYear);
    m_editYear->setText(QString::number(thisYear));
    m_btnGo = new QPushButton(Text(Str::PlanGo), m_yearBox);
    m_btnGo->setObjectName(QStringLiteral("btnGo"));
    m_btnGo->setToolTip(withoutAccelerator(hintShort(Text(Str::PlanHintGo))));
    m_btnGo->setStatusTip(hintLong(Text(Str::PlanHintGo)));
    layout->addWidget(m_editYear);
    layout->addWidget(m_upDown);
    layout->addSpacing(6);
    layout->addWidget(m_btnGo);
    layout->addStretch(1);
    connect(m_upDown, &YearUpDown::valueChanged, this, [this](int year) { m_editYear->setText(QString::number(year)); });
    connect(m_editYear, &QLineEdit::textEdited, this, &TReportForm::yearEdited);
    m_editYear->installEventFilter(new EnterRuns(m_editYear, [this] { InstrelApplication::guarded([this] { btnGoClick(); }); }));
    connect(m_btnGo, &QPushButton::clicked, this, &TReportForm::btnGoClick);
    if (auto* gridLayout = qobject_cast<QVBoxLayout*>(GridPanel()->layout()))
        gridLayout->insertWidget(0, m_yearBox);
}

void TReportForm::yearEdited(const QString& text)
{
    // The arrows step on from the typed year; a year outside their range leaves them where they are.
    bool ok = false;
    const int year = text.trimmed().toInt(&ok);
    if (ok && year >= m_upDown->minimum() && year <= m_upDown->maximum()) {
        const QSignalBlocker block(m_upDown);
        m_upDown->setValue(year);
    }
}

void TReportForm::buildChartPage()
{
    QWidget* page = FormPanel()->widget(0);
    FormPanel()->setTabText(0, Text(Str::PageChart));
    ScrollBox1()->hide();
    m_splitter2 = new QSplitter(Qt::Vertical, page);
    m_splitter2->setObjectName(QStringLiteral("Splitter2"));
    m_splitter2->setChildrenCollapsible(false);
    m_pivotGrid = new QTableView(m_splitter2);
    m_pivotGrid->setObjectName(QStringLiteral("DecisionGrid1"));
    m_pivotModel = new PivotModel(m_pivotGrid);
    m_pivotModel->setDimensionTitles(Text(Str::PlanPivotService), Text(Str::PlanPivotMonth));
    m_pivotGrid->setModel(m_pivotModel);
    m_pivotGrid->setShowGrid(true);
    m_pivotGrid->verticalHeader()->hide();
    m_pivotGrid->horizontalHeader()->setDefaultSectionSize(40);
    m_pivotGrid->verticalHeader()->setDefaultSectionSize(20);
    m_pivotGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_chart = new QChart;
    m_chart->setObjectName(QStringLiteral("Chart"));
    m_chart->setTitle(QString());
    m_chartView = new QChartView(m_chart, m_splitter2);
    m_chartView->setObjectName(QStringLiteral("DecisionGraph1"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_splitter2->addWidget(m_pivotGrid);
    m_splitter2->addWidget(m_chartView);
    m_splitter2->setStretchFactor(1, 1);
    m_splitter2->setSizes({120, 300});
    page->layout()->addWidget(m_splitter2);
    showPivot(ServicePivot());
}

void TReportForm::setLabels()
{
    for (const ColumnLabel& entry : kLabels)
        if (Field* field = dsMain()->field(QString::fromLatin1(entry.field)))
            field->setLabel(Text(entry.label));
    // The list shows the passport columns without the setup date.
    if (Field* setDate = dsMain()->field(QStringLiteral("SetDate")))
        setDate->setVisible(false);
}

void TReportForm::applyPivotMetrics()
{
    if (!m_pivotGrid)
        return;
    m_pivotGrid->setFont(font());
    m_pivotGrid->horizontalHeader()->setFont(font());
    const QFontMetrics metrics(font());
    const double points = font().pointSizeF() > 0 ? font().pointSizeF() : font().pixelSize() * 72.0 / logicalDpiY();
    m_pivotGrid->verticalHeader()->setDefaultSectionSize(int(points * logicalDpiY() / 72.0) + 5);
    m_pivotGrid->horizontalHeader()->setDefaultSectionSize(metrics.horizontalAdvance(QStringLiteral("Month")) + 3);
    m_pivotGrid->resizeColumnToContents(0);
}

void TReportForm::showEvent(QShowEvent* event)
{
    TBaseForm::showEvent(event);
    applyPivotMetrics();
}

void TReportForm::changeEvent(QEvent* event)
{
    TBaseForm::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyPivotMetrics();
}

// ---------------------------------------------------------------- generation

void TReportForm::setProgressDelay(int ms) { progressDelayMs = ms; }

void TReportForm::btnGoClick()
{
    if (m_generating)
        return;
    // A year typed in part ("20") is no year of the plan, even though it reads as a number.
    const DateText::Reading reading = DateText::readYear(m_editYear->text());
    if (reading.verdict != DateText::Verdict::Date) {
        Messages::error(Text(Str::PlanInvalidYear));
        m_editYear->setFocus();
        return;
    }
    const int year = reading.date.year();
    YearReportBuilder builder(*dsMain()->connection());
    builder.setProgress([this](int done, int total) { return generationProgress(done, total); }, kProgressStep);
    m_generationTimer.start();
    m_generating = true;
    m_cancelRequested = false;
    struct Finish {
        TReportForm* form;
        ~Finish()
        {
            form->m_generating = false;
            delete form->m_progress;
            form->m_progress = nullptr;
        }
    } finish{this};
    const bool built = builder.BuildYearReport(year);
    if (m_closeAfterGeneration) {
        // The window (or the program, on a STOP) was closed meanwhile: the generation gave way and
        // rolled back to the plan before it; now the window closes as it would have, emptying the
        // plan at once, since a program that is ending may not come back to a queued close.
        m_generating = false;
        QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
        frame->close();
        return;
    }
    // A refused last date empties the plan, so the list must show that too.
    if (built || builder.outcome() == YearReportBuilder::Outcome::LastDateRefused) {
        RequeryKeepRow();
        BuildGroupTree();
    }
}

bool TReportForm::generationProgress(int done, int total)
{
    if (m_cancelRequested)
        return false;
    if (!m_progress) {
        if (m_generationTimer.elapsed() < progressDelayMs)
            return true;
        // Modal: the user can only watch or cancel, so nothing else writes while the plan is built.
        m_progress = new QProgressDialog(this);
        m_progress->setObjectName(QStringLiteral("GenerationProgress"));
        m_progress->setWindowTitle(withoutAccelerator(Text(Str::WinServiceReports)));
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setMinimumDuration(0);
        m_progress->setRange(0, std::max(1, total));
        m_progress->show();
    }
    m_progress->setLabelText(FormatText(Str::PlanProgress, done, total));
    m_progress->setValue(done);
    // The window keeps painting, and a Cancel or a request to close reaches us.
    QCoreApplication::processEvents();
    return !m_progress->wasCanceled() && !m_cancelRequested;
}

void TReportForm::emptyPlan()
{
    Dataset* qry = TDM::instance()->qry();
    qry->close();
    qry->setSql(QString());
    qry->connection()->execute(QStringLiteral("Delete from YearReport;"));
}

void TReportForm::closeEvent(QCloseEvent* event)
{
    if (m_generating) {
        // The generation is further up this call stack: it must stop and roll back first; the
        // window closes when it has.
        m_cancelRequested = true;
        m_closeAfterGeneration = true;
        event->ignore();
        return;
    }
    // Shown, but the window still closes: the next window empties the plan on opening.
    InstrelApplication::guarded([] { emptyPlan(); });
    TBaseForm::closeEvent(event);
}

// ---------------------------------------------------------------- chart page

void TReportForm::TabSheet1Show()
{
    m_c1->close();
    m_c1->setSql(m_savedPivotSql);
    const ResultSet* rows = dsMain()->rows();
    const auto typeOf = [rows](const QString& field) {
        const int column = rows ? rows->indexOf(field) : -1;
        return column < 0 ? ResultSet::ColumnType::Text : rows->column(column).type;
    };
    const QString clientFilter = dsMain()->isFiltered() ? dsMain()->filter() : QString();
    try {
        const QString restriction =
            PivotQuery::restriction(FilterRowQuery::anchorConditions(dsMain()->sql()), clientFilter, typeOf);
        m_c1->setSql(PivotQuery::withRestriction(m_savedPivotSql, restriction));
        m_c1->open();
    } catch (const DatabaseError&) {
        m_c1->close();
        showPivot(ServicePivot());
        Messages::error(Text(Str::PlanChooseGroupRow));
        SwapClick();
        return;
    }
    showPivot(m_c1->rows() ? ServicePivot::fromRows(*m_c1->rows()) : ServicePivot());
}

void TReportForm::TabSheet1Hide()
{
    m_c1->close();
    showPivot(ServicePivot());
}

void TReportForm::showPivot(const ServicePivot& pivot)
{
    m_pivotModel->setPivot(pivot);
    m_pivotGrid->resizeColumnToContents(0);
    ServiceChart::fill(m_chart, pivot);
}

void TReportForm::SwapClick()
{
    Swap();
    const bool table = !isFormView();
    for (const char* name : {"btnFirst", "btnPrior", "btnNext", "btnLast"})
        setButtonVisible(QString::fromLatin1(name), table);
}

void TReportForm::PrintClick()
{
    if (isFormView()) {
        // The plan's own year: the year box may have been changed since the plan was made.
        const QVariant planYear = dsMain()->connection()->scalar(QStringLiteral("select top 1 Year from YearReportView;"));
        const int year = planYear.isValid() && !planYear.isNull() ? planYear.toInt() : m_editYear->text().trimmed().toInt();
        ChartPagePrinter(FormPanel()->widget(0), year).preview(this);
    }
    else
        GridPrinter(grid()).preview(this);
}

void TReportForm::FormActivate()
{
    TBaseForm::FormActivate();
    if (isFormView())
        ReopenPage();
}
