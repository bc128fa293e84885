#pragma once

#include "tables/BaseFrm.h"

#include <QHash>

class DueLegend;
class DueMarks;
class FieldBinder;

// The services schedule: every next-service row of every device in one read-only list, to sort,
// group, filter, print and export with the table window's means. Overdue and due-soon rows are
// marked; three commands narrow the list to the overdue ones, to those due within the reminder
// horizon, or show all again, through the filter row so that the conditions stay visible. Edit
// opens the device window on the row's device and service, where the dates are changed.
class TNextRepForm : public TBaseForm {
    Q_OBJECT
public:
    static QString mainQuery() { return QStringLiteral("select * from nextrepview;"); }

    explicit TNextRepForm(QWidget* parent = nullptr);

    void GoToField(const QString& fieldName) override;
    void FormActivate() override;

    // Opens the device window on the current row's device and service; false (with a message) when
    // the device window does not list that device or service any more.
    bool btnEditClick();
    void ShowOverdue();
    void ShowDueSoon();
    void ShowAll();

    DueMarks* dueMarks() const { return m_marks; }

private:
    void setUpMainView();
    void createEditors();
    void createDueCommands();

    FieldBinder* m_binder = nullptr;
    DueLegend* m_legend = nullptr;
    DueMarks* m_marks = nullptr;
    QHash<QString, QWidget*> m_editorsByField; // lower-case field name -> editor
};
