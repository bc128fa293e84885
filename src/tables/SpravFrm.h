#pragma once

#include <QVariant>
#include <QWidget>
#include <vector>

class Dataset;
enum class Str : int;
class QListWidget;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QStatusBar;
class QTableView;

// The linked tables window: every reference list of the database on its own page, chosen from the
// list of table names on the left, edited in place in the page's grid(s), with the navigation and
// edit buttons on the right acting on the current data source (the page's only list, or on a
// two-list page the list whose grid last had the focus). A page's datasets are open only while the
// page is shown. Deleting a row that other rows still use is refused with the reasons.
class TSpravForm : public QWidget {
    Q_OBJECT
public:
    explicit TSpravForm(QWidget* parent = nullptr);
    ~TSpravForm() override;

    // Shows page `index` (the position of its name in the table list); out of range does nothing.
    Q_INVOKABLE void SelectPage(int index);
    // Shows page `index` and moves its (master) list to the row whose key is `key`. A key that is not
    // found leaves the list where it was and returns false.
    Q_INVOKABLE bool LocateKey(int index, const QVariant& key);
    // The same for the second list of a two-list page (a place, a crew, a malfunction name), after the
    // first list has been moved to the row the second belongs to. False on a one-list page.
    Q_INVOKABLE bool LocateDetailKey(int index, const QVariant& key);

    // The page shown (the list follows it, also when a refused change of page put it back).
    int currentPage() const;
    // The dataset the buttons act on; nullptr when the current page is not open.
    Dataset* currentDataset() const;

    // One list of a page (table, dataset, model, grid) and one page; defined with the window's code.
    struct Table;
    struct Page;

    // The size the window opens with when nothing is stored: the list, a page and the buttons.
    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createLayout();
    void fitListWidth();
    QWidget* createButtonBox();
    QPushButton* addButton(QWidget* box, const char* name, Str caption, Str hint);
    void createPages();
    QWidget* createTablePanel(Table& table, const QString& caption);
    void setUpDataset(Table& table, Table* master);
    void applyFields(Table& table);
    static void fitColumns(QTableView& grid);
    void connectGrid(Table& table);

    void TableListChange(int row);
    bool showPage(int index);
    bool postPage(const Page& page);
    void closePage(Page& page);
    void openPage(Page& page);

    void gridFocusChanged(QWidget* now);
    Table* currentTable() const;
    void updateControls();
    QString statusText() const;
    void syncGridToDataset(Table& table);
    void gridRowChanged(Table& table, int row);
    void editNewRow(Table& table);

    void navigate(void (Dataset::*step)());
    void btnFirstClick();
    void btnPriorClick();
    void btnNextClick();
    void btnLastClick();
    void btnInsertClick();
    void btnDeleteClick();
    void btnPrintClick();
    QString printTitle(const Table& table) const;
    void postAll();

    void loadSettings();
    void saveSettings();
    QWidget* frame();

    QListWidget* m_list = nullptr;
    QSplitter* m_splitter = nullptr;
    QStackedWidget* m_pages = nullptr;
    QStatusBar* m_status = nullptr;
    QPushButton* m_btnFirst = nullptr;
    QPushButton* m_btnPrior = nullptr;
    QPushButton* m_btnNext = nullptr;
    QPushButton* m_btnLast = nullptr;
    QPushButton* m_btnInsert = nullptr;
    QPushButton* m_btnDelete = nullptr;
    QPushButton* m_btnPrint = nullptr;
    QPushButton* m_btnClose = nullptr;

    std::vector<Page> m_pageList;
    Dataset* m_dsDimention = nullptr; // its own page, and the dimension names of the parameters page
    int m_openPage = -1;
    QSize m_defaultSize;
    bool m_settingsLoaded = false;
};
