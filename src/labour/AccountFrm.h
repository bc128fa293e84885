#pragma once

#include "tables/BaseFrm.h"
#include "tables/GridSettings.h"

#include <QHash>
#include <QSet>

class CellEditorDelegate;
class DatasetSelector;
class FieldBinder;
class GridFooter;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableView;
class QToolButton;
class TMainForm;

// The labour-planning window. Its table view lists AccountView (every category share of every
// service row of every crew) with the sum of the shares in a footer. Its form view has three pages,
// each with its own crew selector and datasets, open only while the page is shown:
// - "Information": device counts per type in the crew, the service rows of a type with their
//   annual volume, and the categories' shares of a service row;
// - "Crew structure": the crew's members and their working-time fund;
// - "Pivot": the norm state of the crew per category.
// The figures are computed by the rules in labour/rules; this window gathers, calls and re-reads.
class TAccountForm : public TBaseForm {
    Q_OBJECT
public:
    explicit TAccountForm(QWidget* parent = nullptr);
    ~TAccountForm() override;

    static QString mainQuery() { return QStringLiteral("select  * from AccountView;"); }

    void ActivateInfoPage(bool on);
    void ActivateCrewPage(bool on);
    void ActivateNormPage(bool on);

    void SyncDevTypeCount();
    void CountAnnualVolume();
    void DivideAllowance();
    // Stores the pending edits and recounts every figure of the selected crew that depends on them.
    void RecountAllExecute();
    void InsertCrewListExecute();
    void Insert2Execute();
    void CountWorkingFund();
    void CountNormState();
    void PrintDevTypeExecute();
    void PrintCrewListExecute();
    void PrintNormAccExecute();

    void FormActivate() override;
    void GoToField(const QString& fieldName) override;
    void saveSettings(FormSettings& settings) const override;
    void loadSettings(const FormSettings& settings) override;

    // Enabling of the page buttons; runs whenever the application goes idle (public for tests).
    void updatePageButtons();

private:
    // --- building
    void createDatasets();
    void createInfoDatasets();
    void createCrewDatasets();
    void createNormDatasets();
    void createCommands();
    void buildInfoPage();
    QWidget* buildTypesPanel();
    QWidget* buildServicesPanel();
    QWidget* buildSharesPanel();
    void buildCrewPage();
    QWidget* buildCrewEditors();
    void buildNormPage();
    // A grid over `dataset` following its current row; an editable one edits its cells in place,
    // lookup cells choosing from their list.
    QTableView* newGrid(const QString& name, Dataset* dataset, QWidget* parent, bool editable = false);
    static CellEditorDelegate* cellEditors(QTableView* grid);
    QPushButton* newButton(const QString& name, const QString& caption, const QString& hint, QWidget* parent);
    void setLabels();
    void applyStoredSizes(std::initializer_list<QSplitter*> splitters);
    void fitColumnsOnce(std::initializer_list<QTableView*> grids);
    void applyStoredGrids(std::initializer_list<QTableView*> grids);
    // A click on a title sorts the grid's rows by that column, ascending then descending; with
    // `exceptFirst` the first title does not sort.
    void sortByTitles(QTableView* grid, Dataset* dataset, bool exceptFirst = false);

    // --- buttons by view and page
    enum class View { Table, Info, Crew, Norm };
    void showButtonsFor(View view);
    void swapView();

    // --- information page
    void postInfoPage();
    void returnToInfoRows();
    void dsDevTypeAfterPost();
    void insertInto(Dataset* dataset);
    void deleteFrom(Dataset* dataset);

    // --- crew structure page
    void postCrewPage();
    void dsCrewListBeforePost();
    void requeryCrewList();
    void showNewMember(const QVariant& id);
    void DeleteCrewList();

    // --- pivot page
    void postNormPage();
    void InsertNormState();
    void DeleteNormState();

    // --- jumps
    TMainForm* mainForm() const;
    void jumpToLinkedTable(int page, const QVariant& key, const QVariant& detailKey = {});
    void btnEditCrewDepClick();
    void btnEditDevTypeClick();

    // The key of `field` in the current row of `dataset`; null when it has no current row.
    static QVariant currentValue(const Dataset* dataset, const QString& field);
    static bool hasCurrent(const Dataset* dataset);

    // Information
    Dataset* dsCrewDep = nullptr;
    Dataset* dsDevType = nullptr;
    Dataset* dsDevTypeCrew = nullptr;
    Dataset* dsDevRep = nullptr;
    Dataset* dsRepCath = nullptr;
    Dataset* dsReps = nullptr;
    Dataset* dsCathegory = nullptr;
    // Crew structure
    Dataset* dsCrewDep2 = nullptr;
    Dataset* dsCrewListView = nullptr;
    Dataset* dsCrewList = nullptr;
    Dataset* dsCathegory2 = nullptr;
    Dataset* dsWorkDayLenth = nullptr;
    Dataset* dsDayFundNom = nullptr;
    Dataset* dsLostDayUsed = nullptr;
    Dataset* dsLostDayMiscPC = nullptr;
    // Pivot
    Dataset* dsCrewDep3 = nullptr;
    Dataset* dsCathegory3 = nullptr;
    Dataset* dsNormState = nullptr;

    QWidget* m_infoPage = nullptr;
    QWidget* m_crewPage = nullptr;
    QWidget* m_normPage = nullptr;
    QComboBox* m_editCrewDep = nullptr;
    DatasetSelector* m_crewSelector = nullptr;
    DatasetSelector* m_crewSelector2 = nullptr;
    DatasetSelector* m_crewSelector3 = nullptr;
    QTableView* m_gridDevType = nullptr;
    QTableView* m_gridDevRep = nullptr;
    QTableView* m_gridRepCath = nullptr;
    QTableView* m_gridCrewList = nullptr;
    QTableView* m_gridNormState = nullptr;
    QSplitter* m_typesSplitter = nullptr;    // types panel | services and categories
    QSplitter* m_servicesSplitter = nullptr; // services panel / categories panel
    QSplitter* m_crewSplitter = nullptr;     // editor panel / list
    QSplitter* m_normSplitter = nullptr;     // editor panel / grid
    QLineEdit* m_editNo = nullptr;
    FieldBinder* m_crewBinder = nullptr;
    FieldBinder* m_normBinder = nullptr;
    GridFooter* m_footer = nullptr;
    QLabel* m_recountOffer = nullptr; // shown after a count changed, until the next recount
    bool m_countChanged = false;        // the type row being posted carries another count
    // The rows "Information" showed when it closed, to show them again when it opens.
    QVariant m_infoCrew, m_infoType, m_infoService;
    QHash<QSplitter*, int> m_storedSizes; // from the settings, until the page first shows
    QSet<QTableView*> m_fittedGrids;      // grids whose column widths are set (stored or fitted)
    QHash<QTableView*, GridSettings::Layout> m_storedGrids; // from the settings, until the page first shows
};
