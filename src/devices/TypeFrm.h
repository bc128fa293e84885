#pragma once

#include "tables/BaseFrm.h"

#include <QHash>
#include <QVariant>

class DatasetGrid;
class FieldBinder;
class QLabel;
class TypeIntervalRules;

// The device types window: the types as a table, and in the form view one type with its name,
// model, classification, life time and mean time between failures, and the service intervals that
// devices of the type get, one per crew and service. Insert, Same and Delete land the list on the
// row by its id, not by its number. The device window opens it on a device's type.
class TTypeForm : public TBaseForm {
    Q_OBJECT
public:
    static QString mainQuery() { return QStringLiteral("select * from type;"); }

    explicit TTypeForm(QWidget* parent = nullptr);
    ~TTypeForm() override;

    // For other windows: moves the list to the type `id` (false when it is not listed), and shows
    // the form view with the focus on `editorName` ("editNaim", "editPrec").
    Q_INVOKABLE bool LocateType(const QVariant& id);
    Q_INVOKABLE void ShowEditor(const QString& editorName);

    // The size the window opens with when nothing is stored: a page's editors and grids without scrolling.
    QSize sizeHint() const override;
    void GoToField(const QString& fieldName) override;
    void FormActivate() override;
    void saveSettings(FormSettings& settings) const override;
    void loadSettings(const FormSettings& settings) override;

    // The list re-read and moved back to the type `id` (not to a row number).
    void RefreshById(const QVariant& id);

    void Insert2Execute();
    void SameExecute();
    void InsertInterval();
    void DeleteInterval();

private:
    Dataset* dataset(const char* name, const QString& sql);
    void createDatasets();
    void setUpMainView();
    void createEditors();
    QWidget* lookup(const char* name, Dataset* list, const char* key, const char* display, int linkedPage,
                    const char* field);
    void openPage();
    void closePage();
    void insertTypeRecord(const std::function<bool()>& fill);
    void focusChanged(QWidget* old, QWidget* now);

    Dataset* dsDevType = nullptr;
    Dataset* dsNaim = nullptr;
    Dataset* dsPrec = nullptr;
    Dataset* dsConstruct = nullptr;
    Dataset* dsMaker = nullptr;
    Dataset* dsInterval = nullptr;
    Dataset* dsReps = nullptr;
    Dataset* dsCrewDep = nullptr;
    FieldBinder* m_binder = nullptr;
    DatasetGrid* m_gridInterval = nullptr;
    TypeIntervalRules* m_intervalRules = nullptr;
    QHash<QString, QWidget*> m_editorsByField; // lower-case field name -> editor
    QVariant m_returnId;                       // the type to land on after a deletion
};
