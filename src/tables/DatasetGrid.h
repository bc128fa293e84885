#pragma once

#include "tables/GridColumns.h"

#include <QList>
#include <QString>
#include <QTableView>

class CellEditorDelegate;
class Dataset;
class EditableDatasetModel;

// A grid of a form page over one dataset (the services of a device, the intervals of a type): it
// edits in place (CellEditorDelegate), keeps its current row and the dataset's in step both ways,
// and stores a pending row when the user moves to another row or the focus leaves the grid. A move
// that cannot store the row being left brings the grid back to it (the error says why).
class DatasetGrid : public QTableView {
    Q_OBJECT
public:
    using Column = GridColumns::Column;

    explicit DatasetGrid(Dataset* dataset, QWidget* parent = nullptr);

    Dataset* dataset() const { return m_dataset; }
    CellEditorDelegate* cellDelegate() const { return m_delegate; }

    // Shows these fields, in this order, under these titles; the others are hidden. Kept when the
    // dataset's fields are read again, each column then at least as wide as its title.
    void setColumns(const QList<Column>& columns);
    void setReadOnly(bool readOnly);
    // A click on a title sorts the rows in memory by that column, ascending then descending.
    void setSortableByTitles();

    // Opens the editor on the first editable column of the current row (after a row was added).
    void editCurrentRow();

signals:
    // The grid lost the focus to a control outside it, after storing a pending row.
    void left();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void applyColumns();
    void syncToDataset();
    void rowChangedByUser(int row);
    void focusMoved(QWidget* now);
    void sortBy(int section, Qt::SortOrder order);

    Dataset* m_dataset;
    EditableDatasetModel* m_model;
    CellEditorDelegate* m_delegate;
    QList<Column> m_columns;
    bool m_syncing = false;
};
