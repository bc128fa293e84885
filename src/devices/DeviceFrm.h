#pragma once

#include "tables/BaseFrm.h"
#include "text/StrList.h"

#include <QHash>
#include <QVariant>

class DatasetGrid;
class DeviceIntervalRules;
class DeviceLogPage;
class DeviceRecordRules;
class FieldBinder;
class KitPanel;
class LookupEditor;
class QComboBox;
class QGridLayout;

// The device window: every device passport as a table (the Pasport view), and in the form view one
// device with all its attributes (page Information and Extended), the crews that look after it,
// the services due on it with their last and next dates, the intervals of its type for a crew, and
// its three logs. Saving and deleting follow DeviceRecordRules; the services, crews and intervals
// follow the rules of their rows. The window only binds the datasets and forwards the commands.
class TDeviceForm : public TBaseForm {
    Q_OBJECT
public:
    static QString mainQuery() { return QStringLiteral("select * from Pasport;"); }

    explicit TDeviceForm(QWidget* parent = nullptr);
    ~TDeviceForm() override;

    // For other windows: moves the list to the device `id`; false when it is not listed.
    Q_INVOKABLE bool LocateDevice(const QVariant& id);
    // For other windows: the form view's page "Information" on the current device's service `id`
    // (a next-service row), with the focus in its services grid; false when the device has no such
    // service listed (the view and page are shown all the same).
    Q_INVOKABLE bool ShowService(const QVariant& id);

    // The size the window opens with when nothing is stored: a page's editors and grids without scrolling.
    QSize sizeHint() const override;
    void GoToField(const QString& fieldName) override;
    // The kit panel: the flag as the base keeps it, then the tree built anew (or all devices again).
    void setComplectVisible(bool visible) override;
    virtual void BuildKitTree();
    void FormActivate() override;
    void saveSettings(FormSettings& settings) const override;
    void loadSettings(const FormSettings& settings) override;

    void Insert2Execute();
    void SameExecute();
    void MoveExecute(); // "Count next date"
    void NowDate();
    void InsertNextRep();
    void DeleteNextRep();
    void InsertDevCrew();
    void DeleteDevCrew();
    void InsertInterval();
    void DeleteInterval();
    void btnMalfunctionClick();

    DeviceRecordRules* recordRules() const { return m_recordRules; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void listRestrictionsLifted() override;

private:
    Dataset* dataset(const char* name, const QString& sql, Dataset* master = nullptr);
    Dataset* list(const char* table);
    void createDatasets();
    void createRowDatasets();
    void setUpMainView();
    void createPages();
    void createKitPanel();
    QWidget* createInformationPage();
    QWidget* createExtendedPage();
    QWidget* lookupBox(const char* name, Dataset* list, const char* key, const char* display, const char* field,
                       std::function<void()> ellipsis);
    QWidget* linkedLookup(const char* name, const char* table, const char* field, int page);
    QWidget* shownValue(const char* name, Dataset* source, const char* field);
    DatasetGrid* rowGrid(const char* name, Dataset* ds, QWidget* parent);
    QWidget* gridButtons(QGridLayout* layout, int row, Str caption, const QStringList& actions);
    QAction* pageAction(const char* name, Str caption, Str hint, std::function<void()> run);
    void openInformation();
    void closeInformation();
    void openExtended();
    void closeExtended();
    void fillPickList(QComboBox* editor, const QString& column);
    void followLocation();
    void jumpToType(const QString& editor);
    void CountNextDate();
    // Whether there is a device for a new service or crew row; says so when there is none.
    bool hasDevice() const;
    void insertDeviceRecord(const std::function<bool()>& fill);
    void focusChanged(QWidget* old, QWidget* now);

    Dataset* dsDevice = nullptr;
    Dataset* dsDevType = nullptr;
    Dataset* dsMark = nullptr;
    Dataset* dsLocation = nullptr;
    Dataset* dsLocSet = nullptr;
    Dataset* dsState = nullptr;
    Dataset* dsCrewDep = nullptr;
    Dataset* dsDevCrew = nullptr;
    Dataset* dsNextRep = nullptr;
    Dataset* dsDevRep = nullptr;
    Dataset* dsCrewDevType = nullptr;
    Dataset* dsInterval = nullptr;
    Dataset* dsReps = nullptr;
    QList<Dataset*> m_extendedLists; // systems, classes, measurements, assignments, ranges, scales, graduations
    QHash<QString, Dataset*> m_lists; // by table name
    FieldBinder* m_binder = nullptr;     // the device record
    FieldBinder* m_mainBinder = nullptr; // names of the list's row (type name, accuracy)
    FieldBinder* m_markBinder = nullptr;
    DatasetGrid* m_gridService = nullptr;
    DatasetGrid* m_gridCrew = nullptr;
    DatasetGrid* m_gridInterval = nullptr;
    QList<DeviceLogPage*> m_logPages;
    DeviceRecordRules* m_recordRules = nullptr;
    KitPanel* m_kits = nullptr;
    DeviceIntervalRules* m_intervalRules = nullptr;
    LookupEditor* m_editLocSet = nullptr;
    QHash<QString, QPair<int, QWidget*>> m_editorsByField; // lower-case field -> page, editor
};
