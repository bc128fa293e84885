#pragma once

#include <QDialog>
#include <QPointer>

class QListWidget;
class QPushButton;
class QTableWidget;
class TBaseForm;

// The table properties dialog of one table window: which columns are visible and in which order, by
// which columns the rows are grouped and by which they are sorted, in which direction. Non-modal;
// "Ok" applies and leaves it open, "Cancel" closes it. Its lists are read again from the window each
// time it is activated, so changes made in the grid meanwhile show up.
class TTablePropForm : public QDialog {
    Q_OBJECT
public:
    explicit TTablePropForm(TBaseForm* window);

    TBaseForm* tableWindow() const { return m_window; }
    // Reads the three lists from the window.
    void fillLists();
    // Applies the three lists to the window.
    void apply();

    QListWidget* ColumnList() const { return m_columnList; }
    QListWidget* FieldList() const { return m_fieldList; }
    QTableWidget* SortList() const { return m_sortList; }

protected:
    bool event(QEvent* event) override;

private:
    struct Column {
        int logical;
        QString field;
        QString label;
    };
    QList<Column> gridColumns() const; // in visual order
    QString fieldOfLabel(const QString& label) const;
    bool listed(const QListWidget* list, const QString& text) const;
    bool sortListed(const QString& label) const;
    void addSortRow(int at, const QString& label);
    void buildLayout();
    QPushButton* button(const QString& name, const QString& text);

    void moveColumn(int delta);
    void groupAddSelected();
    void groupRemove();
    void groupAddAll();
    void moveGroup(int delta);
    void sortAddSelected();
    void sortRemove();
    void sortAddAll();
    void moveSort(int delta);
    void updateSortListEnabled();

    QPointer<TBaseForm> m_window;
    QListWidget* m_columnList = nullptr;
    QListWidget* m_fieldList = nullptr;
    QTableWidget* m_sortList = nullptr;
};
