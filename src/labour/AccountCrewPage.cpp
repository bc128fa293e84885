// The "Crew structure" page of the labour-planning window: the members of one crew and their
// working-time fund.
#include "labour/AccountFrm.h"

#include "app/Application.h"
#include "data/DMFrm.h"
#include "data/DatabaseError.h"
#include "data/Dataset.h"
#include "data/MessageService.h"
#include "data/ResultSet.h"
#include "labour/ListCombos.h"
#include "labour/rules/LabourFigures.h"
#include "tables/EllipsisBox.h"
#include "tables/FieldBinder.h"
#include "tables/GridFocusRequery.h"
#include "tables/LookupEditor.h"
#include "text/StrList.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

enum LinkedPage {
    LinkedCathegoryPage = 19,
    LinkedWorkDayLenthPage = 20,
    LinkedDayFundPage = 21,
    LinkedLostDayUsedPage = 22,
    LinkedLostDayMiscPCPage = 23,
};

Dataset* newDataset(QObject* owner, const char* name, const char* sql, Dataset* master = nullptr, const char* sort = nullptr)
{
    auto* ds = new Dataset(owner);
    ds->setObjectName(QString::fromLatin1(name));
    ds->setSql(QString::fromUtf8(sql));
    if (master)
        ds->setMaster(master);
    if (sort)
        ds->setSort(QString::fromLatin1(sort));
    return ds;
}

// The columns a copy made with "Same" takes from the member it copies, in this order.
const char* const kCopiedColumns[] = {"ICrew",         "ICathegory",     "ProfNum",      "ProfNaimen", "IWorkDayLenth",
                                      "SmenaNum",      "IDayFundNom",    "ILostDayUsed", "LostDayUsedPC",
                                      "ILostDayMiscPC", "LostDaySumPC",  "DayFundRez",   "DayFundP1E", "Tarif", "No"};

} // namespace

void TAccountForm::createCrewDatasets()
{
    dsCrewDep2 = newDataset(this, "dsCrewDep2",
                            "SELECT Crew.ID_Crew, Depart.ID_Depart, [Depart.Name_Depart] + '  ,  ' + [Crew.Name_Crew]  as "
                            "Crew1, Crew.Name_Crew, Depart.Name_Depart FROM Crew LEFT JOIN Depart ON Crew.IDepart = "
                            "Depart.ID_Depart;");
    dsCrewListView = newDataset(this, "dsCrewListView", "select * from CrewListView where ICrew = :ID_Crew;", dsCrewDep2, "No");
    dsCrewList = newDataset(this, "dsCrewList", "SELECT * FROM CrewList where ID_CrewList = :ID_CrewList ;", dsCrewListView, "No");
    dsCathegory2 = newDataset(this, "dsCathegory2", "SELECT * FROM Cathegory order by Cathegory;");
    dsWorkDayLenth = newDataset(this, "dsWorkDayLenth", "SELECT * FROM WorkDayLenth order by Lenth;");
    dsDayFundNom = newDataset(this, "dsDayFundNom", "SELECT * FROM DayFund order by DayFundNum;");
    dsLostDayUsed = newDataset(this, "dsLostDayUsed", "SELECT * FROM LostDayUsed order by LostDayUsed;");
    dsLostDayMiscPC = newDataset(this, "dsLostDayMiscPC", "SELECT * FROM LostDayMiscPC order by LostDayMiscPC;");

    dsCrewList->beforePost.connect([this](Dataset&) { dsCrewListBeforePost(); });
    dsCrewList->afterPost.connect([this](Dataset&) { requeryCrewList(); });
    dsCrewList->afterDelete.connect([this](Dataset&) { requeryCrewList(); });
    dsCrewDep2->beforeScroll.connect([this](Dataset&) { postCrewPage(); });
}

void TAccountForm::buildCrewPage()
{
    m_crewPage = new QWidget;
    m_crewPage->setObjectName(QStringLiteral("TabSheet2"));
    FormPanel()->addTab(m_crewPage, withoutAccelerator(Text(Str::AccountPageCrewList)));
    auto* layout = new QVBoxLayout(m_crewPage);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* selectorRow = new QHBoxLayout;
    selectorRow->addWidget(new QLabel(Text(Str::AccountChooseCrew), m_crewPage));
    selectorRow->itemAt(0)->widget()->setObjectName(QStringLiteral("labCrewDep2"));
    auto* selector = new QComboBox(m_crewPage);
    selector->setObjectName(QStringLiteral("editCrewDep2"));
    selector->setMinimumWidth(320);
    selectorRow->addWidget(selector, 1);
    layout->addLayout(selectorRow);
    m_crewSelector2 = new DatasetSelector(selector, dsCrewDep2, QStringLiteral("ID_Crew"), QStringLiteral("Crew1"));

    m_crewSplitter = new QSplitter(Qt::Vertical, m_crewPage);
    m_crewSplitter->setObjectName(QStringLiteral("SplitterCrewList"));
    m_crewSplitter->setChildrenCollapsible(false);
    m_crewSplitter->addWidget(buildCrewEditors());
    m_gridCrewList = newGrid(QStringLiteral("GridCrewList"), dsCrewListView, m_crewSplitter);
    sortByTitles(m_gridCrewList, dsCrewListView);
    // Focus entering the list re-reads it, as the members may have changed on another page's behalf.
    GridFocusRequery::install(m_gridCrewList, [this] {
        if (dsCrewListView->isActive())
            RequeryDataSetKeepRow(*dsCrewListView);
    });
    m_crewSplitter->addWidget(m_gridCrewList);
    m_crewSplitter->setStretchFactor(1, 1);
    layout->addWidget(m_crewSplitter, 1);
    setPageHandlers(m_crewPage, [this] { ActivateCrewPage(true); }, [this] { ActivateCrewPage(false); });
}

QWidget* TAccountForm::buildCrewEditors()
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelCrewList"));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    m_crewBinder = new FieldBinder(dsCrewList, this);
    int row = 0;
    auto place = [&](QWidget* editor, const QString& labelText, QWidget* extra = nullptr) {
        auto* l = new QLabel(labelText, panel);
        l->setObjectName(QStringLiteral("lab") + EllipsisBox::editorOf(editor)->objectName());
        l->setBuddy(EllipsisBox::editorOf(editor));
        grid->addWidget(l, row, 0);
        grid->addWidget(editor, row, 1);
        if (extra)
            grid->addWidget(extra, row, 2);
        ++row;
    };
    auto lineEdit = [&](const char* name, const char* field) {
        auto* e = new QLineEdit(panel);
        e->setObjectName(QString::fromLatin1(name));
        m_crewBinder->bind(e, QString::fromLatin1(field));
        return e;
    };
    auto lookup = [&](const char* name, const char* field, Dataset* list, const char* key, const char* text,
                      const char* nameField, Str label, int linkedPage) {
        auto* editor = new LookupEditor(panel);
        editor->setObjectName(QString::fromLatin1(name));
        // The figure chosen and the name it goes by in the linked tables.
        editor->setList(list, QString::fromLatin1(key), QString::fromLatin1(text),
                        {{QString::fromLatin1(text), Text(label)}, {QString::fromLatin1(nameField), Text(Str::ColName)}});
        m_crewBinder->bind(editor, QString::fromLatin1(field));
        auto* box = new EllipsisBox(editor, panel);
        connect(box, &EllipsisBox::ellipsisClicked, this, [this, linkedPage, field] {
            jumpToLinkedTable(linkedPage, currentValue(dsCrewList, QString::fromLatin1(field)));
        });
        place(box, Text(label));
    };
    m_editNo = lineEdit("EditNo", "No");
    place(m_editNo, Text(Str::AccountCrewNo));
    place(lineEdit("EditProfNaimen", "ProfNaimen"), Text(Str::ColProfession));
    lookup("DBLookupComboboxEh1", "ICathegory", dsCathegory2, "ID_Cathegory", "Cathegory", "Name_Cathegory",
           Str::AccountCategory, LinkedCathegoryPage);
    place(lineEdit("EditProfNum", "ProfNum"), Text(Str::AccountQuantity));
    place(lineEdit("DBEdit1", "Tarif"), Text(Str::AccountTarification));
    place(lineEdit("EditSmenaNum", "SmenaNum"), Text(Str::ColShift));
    lookup("DBLookupComboboxEh2", "IWorkDayLenth", dsWorkDayLenth, "ID_WorkDayLenth", "Lenth", "Name_WorkDayLenth",
           Str::LinkedWorkDayLength, LinkedWorkDayLenthPage);
    lookup("DBLookupComboboxEh3", "IDayFundNom", dsDayFundNom, "ID_DayFund", "DayFundNum", "Name_DayFund",
           Str::LinkedNominalFund, LinkedDayFundPage);
    lookup("DBLookupComboboxEh4", "ILostDayUsed", dsLostDayUsed, "ID_LostDayUsed", "LostDayUsed", "Name_LostDayUsed",
           Str::LinkedAnnualHoliday, LinkedLostDayUsedPage);
    place(lineEdit("EditLostDayUsedPC", "LostDayUsedPC"), Text(Str::AccountHolidayPercent));
    lookup("DBLookupComboboxEh5", "ILostDayMiscPC", dsLostDayMiscPC, "ID_LostDayMiscPC", "LostDayMiscPC",
           "Name_LostDayMiscPC", Str::LinkedOtherLosses, LinkedLostDayMiscPCPage);
    place(lineEdit("EditLostDaySumPC", "LostDaySumPC"), Text(Str::AccountTotalLosses));
    QPushButton* count = newButton(QStringLiteral("btnCount"), Text(Str::AccountCount), Text(Str::AccountHintCount), panel);
    connect(count, &QPushButton::clicked, this, [this] { InstrelApplication::guarded([this] { CountWorkingFund(); }); });
    place(lineEdit("EditDayFundRez", "DayFundRez"), Text(Str::AccountFundDays), count);
    place(lineEdit("EditDayFundP1E", "DayFundP1E"), Text(Str::AccountFundPerEmployee));
    grid->setColumnStretch(1, 1);
    return panel;
}

void TAccountForm::ActivateCrewPage(bool on)
{
    if (on) {
        setNavigationDataset(dsCrewListView);
    } else {
        setNavigationDataset(nullptr);
        postCrewPage();
    }
    for (Dataset* ds : {dsCathegory2, dsCrewDep2, dsCrewListView, dsWorkDayLenth, dsDayFundNom, dsLostDayUsed,
                        dsLostDayMiscPC, dsCrewList})
        ds->setActive(on);
    m_crewSelector2->refresh();
    if (on) {
        auto* grid = m_gridCrewList;
        const QStringList columns = {"No",         "Cathegory",   "ProfNum",     "ProfNaimen",    "Tarif",
                                     "Lenth",      "SmenaNum",    "DayFundNum",  "LostDayUsed",   "LostDayUsedPC",
                                     "LostDayMiscPC", "LostDaySumPC", "DayFundRez", "DayFundP1E"};
        QHeaderView* header = grid->horizontalHeader();
        for (int c = 0; c < dsCrewListView->fieldCount(); ++c)
            grid->setColumnHidden(c, !columns.contains(dsCrewListView->fields()[size_t(c)]->name(), Qt::CaseInsensitive));
        for (int i = 0; i < columns.size(); ++i)
            if (const int c = dsCrewListView->fieldIndex(columns[i]); c >= 0)
                header->moveSection(header->visualIndex(c), i);
        showButtonsFor(View::Crew);
        applyStoredSizes({m_crewSplitter});
        applyStoredGrids({m_gridCrewList});
        fitColumnsOnce({m_gridCrewList});
    }
}

void TAccountForm::postCrewPage() { dsCrewList->checkBrowseMode(); }

void TAccountForm::dsCrewListBeforePost()
{
    // A new member belongs to the crew chosen in the selector; an edited one stays in its crew.
    if (dsCrewList->state() == Dataset::State::Insert)
        dsCrewList->setValue(QStringLiteral("ICrew"), currentValue(dsCrewDep2, QStringLiteral("ID_Crew")));
}

void TAccountForm::requeryCrewList()
{
    if (dsCrewListView->isActive())
        RequeryDataSetKeepRow(*dsCrewListView);
}

void TAccountForm::showNewMember(const QVariant& id)
{
    requeryCrewList();
    dsCrewListView->locate(QStringLiteral("ID_CrewList"), id);
    dsCrewList->setMaster(dsCrewListView);
    if (dsCrewList->value(QStringLiteral("ID_CrewList")) != id)
        dsCrewList->requery();
    m_editNo->setFocus(Qt::OtherFocusReason);
}

void TAccountForm::InsertCrewListExecute()
{
    dsCrewList->checkBrowseMode();
    dsCrewList->setMaster(nullptr);
    try {
        dsCrewList->insert();
        dsCrewList->post();
    } catch (...) {
        dsCrewList->cancel();
        dsCrewList->setMaster(dsCrewListView);
        throw;
    }
    showNewMember(dsCrewList->value(QStringLiteral("ID_CrewList")));
}

void TAccountForm::Insert2Execute()
{
    dsCrewList->checkBrowseMode();
    const QVariant source = currentValue(dsCrewListView, QStringLiteral("ID_CrewList"));
    if (source.isNull())
        return;
    const auto copied = TDM::instance()->ADOConnection()->select(
        QStringLiteral("select * from CrewList where id_crewlist = ") + source.toString() + QLatin1Char(';'));
    if (copied->rowCount() == 0)
        return;
    dsCrewList->setMaster(nullptr);
    try {
        dsCrewList->insert();
        for (const char* column : kCopiedColumns) {
            const QString name = QString::fromLatin1(column);
            dsCrewList->setValue(name, copied->value(0, copied->indexOf(name)));
        }
        dsCrewList->post();
    } catch (...) {
        dsCrewList->cancel();
        dsCrewList->setMaster(dsCrewListView);
        throw;
    }
    showNewMember(dsCrewList->value(QStringLiteral("ID_CrewList")));
}

void TAccountForm::DeleteCrewList()
{
    if (hasCurrent(dsCrewList))
        dsCrewList->deleteRecord();
}

void TAccountForm::CountWorkingFund()
{
    // The count works on the stored row: a pending edit or insert is stored first, so that all four
    // results come from the values the user sees.
    dsCrewList->checkBrowseMode();
    requeryCrewList();
    if (!hasCurrent(dsCrewListView) || !hasCurrent(dsCrewList))
        return;
    auto view = [this](const char* field) { return dsCrewListView->value(QString::fromLatin1(field)); };
    const LabourFigures::FundResult result =
        LabourFigures::countWorkingFund({view("LostDayUsed"), view("DayFundNum"), view("LostDayMiscPC"), view("Lenth")});
    QString message = result.missing;
    if (result.computed()) {
        try {
            // All four in one write: an error leaves none of them half done.
            dsCrewList->edit();
            dsCrewList->setValue(QStringLiteral("LostDayUsedPC"), result.figures.lostDayUsedPC);
            dsCrewList->setValue(QStringLiteral("LostDaySumPC"), result.figures.lostDaySumPC);
            dsCrewList->setValue(QStringLiteral("DayFundRez"), result.figures.dayFundRez);
            dsCrewList->setValue(QStringLiteral("DayFundP1E"), result.figures.dayFundP1E);
            dsCrewList->post();
        } catch (const DatabaseError& error) {
            if (dsCrewList->isEditing())
                dsCrewList->cancel();
            message += error.message();
        }
    }
    if (!message.isEmpty())
        Messages::warning(message);
}
