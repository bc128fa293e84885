#pragma once

#include "tables/BaseFrm.h"

#include <QHash>

class DatasetGrid;
class FieldBinder;
class GridFooter;
class LookupEditor;
class MalfunctionEntryRules;
class ParameterValueRules;
class QGroupBox;

// The malfunction log: every malfunction of every device as a list (the Refusals view), and in the
// form view one entry with its device, date, classification by group and name, texts, count,
// document and signature (page "Information") and its measured parameter values (page
// "Parameters"). The device window opens it narrowed to one device; Edit leads back to the device.
// The rules of storing and deleting live in MalfunctionRules; the window binds and forwards.
class TMalfunctionForm : public TBaseForm {
    Q_OBJECT
public:
    static QString mainQuery() { return QStringLiteral("select * from Refusals;"); }

    explicit TMalfunctionForm(QWidget* parent = nullptr);
    ~TMalfunctionForm() override;

    // The size the window opens with when nothing is stored: the list's main columns and the
    // entry's editors without scrolling.
    QSize sizeHint() const override;
    void GoToField(const QString& fieldName) override;
    void FormActivate() override;
    void saveSettings(FormSettings& settings) const override;
    void loadSettings(const FormSettings& settings) override;

    void Insert2Execute();
    void SameExecute();
    // Opens the device window on the entry's device; false (with a message) when the entry has no
    // device or the device window does not list it.
    bool btnEditClick();
    void InsertParam();
    void DeleteParam();

    GridFooter* footer() const { return m_footer; }

private:
    Dataset* dataset(const char* name, const QString& sql);
    void createDatasets();
    void setUpMainView();
    void createPages();
    QWidget* createInformationPage();
    QWidget* createParametersPage();
    LookupEditor* lookup(const char* name, Dataset* list, const char* key, const char* display, const char* field);
    void openInformation();
    void closeInformation();
    void openParameters();
    void closeParameters();
    void followGroup();
    // Re-reads the list and returns to the entry `id` (the same row number when it is not listed).
    void refreshList(const QVariant& id);
    void insertEntry(const std::function<bool()>& fill);
    QVariant currentEntryId() const;

    Dataset* dsRefusal = nullptr;
    Dataset* dsPasport = nullptr;
    Dataset* dsGroup = nullptr;
    Dataset* dsNaimen = nullptr;
    Dataset* dsDoc = nullptr;
    Dataset* dsRefusalParam = nullptr;
    Dataset* dsDimention = nullptr;
    Dataset* dsRefusParamValue = nullptr;
    MalfunctionEntryRules* m_entryRules = nullptr;
    ParameterValueRules* m_valueRules = nullptr;
    FieldBinder* m_binder = nullptr;     // the entry record
    FieldBinder* m_mainBinder = nullptr; // the device's numbers and type from the list
    LookupEditor* m_editDevice = nullptr;
    LookupEditor* m_editName = nullptr;
    QGroupBox* m_deviceBox = nullptr;
    DatasetGrid* m_gridParam = nullptr;
    GridFooter* m_footer = nullptr;
    bool m_inserting = false;
    QHash<QString, QWidget*> m_editorsByField; // lower-case field name -> editor on page Information
};
