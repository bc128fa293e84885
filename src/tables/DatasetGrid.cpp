#include "tables/DatasetGrid.h"

#include "app/Application.h"
#include "data/Dataset.h"
#include "tables/CellEditorDelegate.h"
#include "tables/EditableDatasetModel.h"
#include "tables/GridColumns.h"

#include <QApplication>
#include <QHeaderView>
#include <QTimer>

DatasetGrid::DatasetGrid(Dataset* dataset, QWidget* parent) : QTableView(parent), m_dataset(dataset)
{
    // While the dataset adds, removes or replaces rows the view moves its current row by itself:
    // that move is not the user's. Connected before the model, so it is known before the view moves.
    for (auto signal : {&Dataset::rowInserted, &Dataset::rowRemoved})
        connect(dataset, signal, this, [this] { m_syncing = true; });
    connect(dataset, &Dataset::rowsReplaced, this, [this] { m_syncing = true; });
    connect(dataset, &Dataset::fieldsChanged, this, [this] { m_syncing = true; });
    m_model = new EditableDatasetModel(dataset, this);
    setModel(m_model);
    m_delegate = new CellEditorDelegate(this);
    setItemDelegate(m_delegate);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);

    const auto settle = [this] {
        m_syncing = false;
        syncToDataset();
    };
    for (auto signal : {&Dataset::rowInserted, &Dataset::rowRemoved})
        connect(dataset, signal, this, settle);
    connect(dataset, &Dataset::rowsReplaced, this, settle);
    connect(dataset, &Dataset::fieldsChanged, this, settle);
    connect(dataset, &Dataset::currentChanged, this, &DatasetGrid::syncToDataset);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DatasetGrid::applyColumns);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { rowChangedByUser(current.row()); });
}

void DatasetGrid::setColumns(const QList<Column>& columns)
{
    m_columns = columns;
    applyColumns();
}

void DatasetGrid::setReadOnly(bool readOnly)
{
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
}

void DatasetGrid::setSortableByTitles()
{
    // The header turns its sort indicator on each click; the rows follow it.
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &DatasetGrid::sortBy);
}

void DatasetGrid::sortBy(int section, Qt::SortOrder order)
{
    if (section < 0 || section >= m_dataset->fieldCount() ||
        m_dataset->fields()[size_t(section)]->kind() != Field::Kind::Data)
        return;
    const QString field = m_dataset->fields()[size_t(section)]->name();
    InstrelApplication::guarded(
        [&] { m_dataset->setSort(order == Qt::DescendingOrder ? field + QStringLiteral(" DESC") : field); });
}

void DatasetGrid::applyColumns()
{
    if (m_columns.isEmpty())
        return;
    GridColumns::show(*this, *m_dataset, m_columns);
    // A model reset gives every column the default width again.
    GridColumns::widenToTitles(*this);
}

void DatasetGrid::syncToDataset()
{
    if (m_syncing)
        return;
    m_syncing = true;
    const int row = m_dataset->currentRow();
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clearCurrentIndex();
        selectionModel()->clearSelection();
    } else if (currentIndex().row() != row) {
        int column = currentIndex().column();
        if (column < 0 || isColumnHidden(column))
            column = horizontalHeader()->logicalIndex(0);
        for (int visual = 0; column >= 0 && isColumnHidden(column) && visual < m_model->columnCount(); ++visual)
            column = horizontalHeader()->logicalIndex(visual);
        selectionModel()->setCurrentIndex(m_model->index(row, std::max(column, 0)),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    m_syncing = false;
}

void DatasetGrid::rowChangedByUser(int row)
{
    if (m_syncing || row < 0 || !m_dataset->isActive() || row == m_dataset->currentRow())
        return;
    m_syncing = true;
    const bool moved = InstrelApplication::guarded([&] { m_dataset->setRecNo(row + 1); });
    m_syncing = false;
    if (!moved) // the row being left could not be stored: back to it
        QTimer::singleShot(0, this, &DatasetGrid::syncToDataset);
}

void DatasetGrid::editCurrentRow()
{
    const int row = m_dataset->currentRow();
    if (row < 0)
        return;
    const QHeaderView* header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        const QModelIndex index = m_model->index(row, column);
        if (!isColumnHidden(column) && (m_model->flags(index) & Qt::ItemIsEditable)) {
            setFocus();
            setCurrentIndex(index);
            edit(index);
            return;
        }
    }
}

void DatasetGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    // The focus may only pass to a cell editor or a pop-up of this grid: decided once it has landed.
    QTimer::singleShot(0, this, [this] { focusMoved(QApplication::focusWidget()); });
}

void DatasetGrid::focusMoved(QWidget* now)
{
    if (now && (now == this || isAncestorOf(now)))
        return;
    if (QApplication::activePopupWidget())
        return;
    if (m_dataset->isActive() && m_dataset->isEditing())
        InstrelApplication::guarded([this] { m_dataset->checkBrowseMode(); });
    emit left();
}
