// The "Pivot" page of the labour-planning window: the norm state of one crew per staff category.
#include "labour/AccountFrm.h"

#include "app/Application.h"
#include "data/DMFrm.h"
#include "data/Dataset.h"
#include "labour/ListCombos.h"
#include "labour/rules/NormStateCount.h"
#include "tables/CellEditorDelegate.h"
#include "tables/EnterToNextCell.h"
#include "tables/FieldBinder.h"
#include "text/StrList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

struct NormColumn {
    const char* editor;
    const char* field;
    Str label;
};

const NormColumn kNormColumns[] = {
    {"editCathegory3", "Cathegory", Str::AccountCategory},     {"DBEdit3", "PlanHour", Str::AccountHourRate},
    {"DBEdit2", "ExtPlanPC", Str::AccountExtRatePercent},      {"DBEdit4", "ExtPlan", Str::AccountExtRateAbs},
    {"DBEdit5", "YearPlan", Str::AccountAnnualRate},           {"DBEdit6", "PlanP1E", Str::AccountRatePerEmployee},
    {"DBEdit7", "Required", Str::AccountRequired},
};

} // namespace

void TAccountForm::createNormDatasets()
{
    auto make = [this](const char* name, const char* sql) {
        auto* ds = new Dataset(this);
        ds->setObjectName(QString::fromLatin1(name));
        ds->setSql(QString::fromLatin1(sql));
        return ds;
    };
    dsCrewDep3 = make("dsCrewDep3", "SELECT Crew.ID_Crew, Depart.ID_Depart, [Depart.Name_Depart] + '  ,  ' + "
                                    "[Crew.Name_Crew]  as Crew1 FROM Crew LEFT JOIN Depart ON Crew.IDepart = "
                                    "Depart.ID_Depart;");
    dsCathegory3 = make("dsCathegory3", "SELECT * FROM Cathegory order by Cathegory;");
    dsNormState = make("dsNormState", "select * from NormState where ICrew = :ID_Crew;");
    dsNormState->setMaster(dsCrewDep3);
    dsNormState->setSort(QStringLiteral("ICathegory"));
    dsNormState->addLookupField(QStringLiteral("Cathegory"), {dsCathegory3, QStringLiteral("ICathegory"),
                                                             QStringLiteral("ID_Cathegory"), QStringLiteral("Cathegory")});
    dsNormState->beforePost.connect([this](Dataset& ds) {
        // A row added on the page belongs to the crew chosen there, or nobody would ever see it again.
        if (ds.state() == Dataset::State::Insert && ds.value(QStringLiteral("ICrew")).isNull())
            ds.setValue(QStringLiteral("ICrew"), currentValue(dsCrewDep3, QStringLiteral("ID_Crew")));
    });
    dsCrewDep3->beforeScroll.connect([this](Dataset&) { postNormPage(); });
}

void TAccountForm::buildNormPage()
{
    m_normPage = new QWidget;
    m_normPage->setObjectName(QStringLiteral("TabSheet3"));
    FormPanel()->addTab(m_normPage, withoutAccelerator(Text(Str::AccountPagePivot)));
    auto* layout = new QVBoxLayout(m_normPage);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* selectorRow = new QHBoxLayout;
    auto* label = new QLabel(Text(Str::AccountChooseCrew), m_normPage);
    label->setObjectName(QStringLiteral("labCrewDep3"));
    selectorRow->addWidget(label);
    auto* selector = new QComboBox(m_normPage);
    selector->setObjectName(QStringLiteral("editCrewDep3"));
    selector->setMinimumWidth(320);
    selectorRow->addWidget(selector, 1);
    layout->addLayout(selectorRow);
    m_crewSelector3 = new DatasetSelector(selector, dsCrewDep3, QStringLiteral("ID_Crew"), QStringLiteral("Crew1"));

    m_normSplitter = new QSplitter(Qt::Vertical, m_normPage);
    m_normSplitter->setObjectName(QStringLiteral("SplitterNormState"));
    m_normSplitter->setChildrenCollapsible(false);
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("NormStatePanel"));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    m_normBinder = new FieldBinder(dsNormState, this);
    int row = 0;
    for (const NormColumn& c : kNormColumns) {
        auto* edit = new QLineEdit(panel);
        edit->setObjectName(QString::fromLatin1(c.editor));
        auto* l = new QLabel(Text(c.label), panel);
        l->setObjectName(QStringLiteral("lab") + edit->objectName());
        l->setBuddy(edit);
        m_normBinder->bind(edit, QString::fromLatin1(c.field));
        edit->setReadOnly(qstrcmp(c.field, "Cathegory") == 0); // a looked-up grade, chosen in the grid
        grid->addWidget(l, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    auto* count = new QPushButton(Text(Str::AccountCount), panel);
    count->setObjectName(QStringLiteral("btnNormCount"));
    connect(count, &QPushButton::clicked, this, [this] { InstrelApplication::guarded([this] { CountNormState(); }); });
    grid->addWidget(count, row - 1, 2);
    grid->setColumnStretch(1, 1);
    m_normSplitter->addWidget(panel);
    m_gridNormState = newGrid(QStringLiteral("DBGridEh1"), dsNormState, m_normSplitter, true);
    sortByTitles(m_gridNormState, dsNormState, true);
    cellEditors(m_gridNormState)
        ->setLookupColumns(QStringLiteral("Cathegory"), {{QStringLiteral("Cathegory"), Text(Str::AccountColCategory)},
                                                         {QStringLiteral("Name_Cathegory"), Text(Str::AccountColCategoryName)}});
    EnterToNextCell::install(m_gridNormState);
    m_normSplitter->addWidget(m_gridNormState);
    m_normSplitter->setStretchFactor(1, 1);
    layout->addWidget(m_normSplitter, 1);
    setPageHandlers(m_normPage, [this] { ActivateNormPage(true); }, [this] { ActivateNormPage(false); });
}

void TAccountForm::ActivateNormPage(bool on)
{
    if (on) {
        setNavigationDataset(dsNormState);
    } else {
        setNavigationDataset(nullptr);
        postNormPage();
    }
    for (Dataset* ds : {dsCrewDep3, dsCathegory3, dsNormState})
        ds->setActive(on);
    m_crewSelector3->refresh();
    if (!on)
        return;
    QStringList columns;
    for (const NormColumn& c : kNormColumns)
        columns.append(QString::fromLatin1(c.field));
    QHeaderView* header = m_gridNormState->horizontalHeader();
    for (int c = 0; c < dsNormState->fieldCount(); ++c)
        m_gridNormState->setColumnHidden(c, !columns.contains(dsNormState->fields()[size_t(c)]->name(), Qt::CaseInsensitive));
    for (int i = 0; i < columns.size(); ++i)
        if (const int c = dsNormState->fieldIndex(columns[i]); c >= 0)
            header->moveSection(header->visualIndex(c), i);
    showButtonsFor(View::Norm);
    applyStoredSizes({m_normSplitter});
    applyStoredGrids({m_gridNormState});
    fitColumnsOnce({m_gridNormState});
}

void TAccountForm::postNormPage() { dsNormState->checkBrowseMode(); }

void TAccountForm::InsertNormState()
{
    dsNormState->insert();
}

void TAccountForm::DeleteNormState()
{
    if (hasCurrent(dsNormState))
        dsNormState->deleteRecord();
}

void TAccountForm::CountNormState()
{
    postNormPage();
    const QVariant crew = currentValue(dsCrewDep3, QStringLiteral("ID_Crew"));
    if (crew.isNull())
        return;
    NormStateCount(*TDM::instance()->ADOConnection(), crew.toLongLong()).run();
    RequeryDataSetKeepRow(*dsNormState);
}
