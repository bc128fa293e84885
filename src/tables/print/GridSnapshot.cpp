#include "tables/print/GridSnapshot.h"

#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/ResultSet.h"

#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>
#include <iterator>

GridCell::Kind GridCell::kindOf(const QVariant& value)
{
    if (value.isNull())
        return Kind::Text;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Number;
    case QMetaType::QDate:
        return value.toDate().isValid() ? Kind::Date : Kind::Text;
    case QMetaType::QDateTime:
        return value.toDateTime().isValid() ? Kind::Date : Kind::Text;
    default:
        return Kind::Text;
    }
}

GridSnapshot::GridSnapshot(const QStringList& titles, std::vector<std::vector<GridCell>> rows)
    : m_titles(titles), m_cells(std::move(rows))
{
}

GridSnapshot::GridSnapshot(const QAbstractItemModel* model, std::vector<int> columns, std::vector<int> rows)
    : m_model(model), m_modelColumns(std::move(columns)), m_modelRows(std::move(rows))
{
    for (int column : m_modelColumns)
        m_titles.append(model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    if (const auto* datasetModel = qobject_cast<const DatasetModel*>(model))
        m_dataset = datasetModel->dataset();
}

int GridSnapshot::rowCount() const { return m_model ? int(m_modelRows.size()) : int(m_cells.size()); }

QString GridSnapshot::text(int row, int column) const
{
    if (!m_model)
        return m_cells[size_t(row)][size_t(column)].text;
    if (m_dataset)
        return m_dataset->displayText(m_modelRows[size_t(row)], m_modelColumns[size_t(column)]);
    const QModelIndex index = m_model->index(m_modelRows[size_t(row)], m_modelColumns[size_t(column)]);
    return m_model->data(index, Qt::DisplayRole).toString();
}

void GridSnapshot::appendText(int row, int column, QByteArray& out) const
{
    if (m_model && m_dataset)
        m_dataset->appendDisplayText(m_modelRows[size_t(row)], m_modelColumns[size_t(column)], out);
    else
        out += text(row, column).toUtf8();
}

GridCell GridSnapshot::cell(int row, int column) const
{
    if (!m_model)
        return m_cells[size_t(row)][size_t(column)];
    const int modelRow = m_modelRows[size_t(row)];
    const int modelColumn = m_modelColumns[size_t(column)];
    GridCell cell;
    cell.value = m_dataset ? m_dataset->valueAt(modelRow, modelColumn)
                           : m_model->data(m_model->index(modelRow, modelColumn), Qt::EditRole);
    cell.kind = GridCell::kindOf(cell.value);
    // Numbers and dates are written from their values; only text cells need the shown text.
    if (cell.kind == GridCell::Kind::Text)
        cell.text = text(row, column);
    return cell;
}

void GridSnapshot::readSheetCell(int row, int column, SheetCell& sheet) const
{
    sheet.text.truncate(0);
    if (m_model && m_dataset) {
        const int modelRow = m_modelRows[size_t(row)];
        const int modelColumn = m_modelColumns[size_t(column)];
        const Field& field = *m_dataset->fields()[size_t(modelColumn)];
        const ResultSet* rows = m_dataset->rows();
        if (field.kind() == Field::Kind::Data && rows) {
            const int storeRow = m_dataset->storeRow(modelRow);
            const int c = field.column();
            if (rows->isNull(storeRow, c)) {
                sheet.kind = GridCell::Kind::Text;
                return;
            }
            switch (rows->column(c).type) {
            case ResultSet::ColumnType::Integer:
            case ResultSet::ColumnType::Real:
                sheet.kind = GridCell::Kind::Number;
                sheet.number = rows->number(storeRow, c);
                return;
            case ResultSet::ColumnType::DateTime:
                sheet.kind = GridCell::Kind::Date;
                rows->momentParts(storeRow, c, sheet.moment);
                return;
            case ResultSet::ColumnType::Text:
                sheet.kind = GridCell::Kind::Text;
                rows->appendDisplayText(storeRow, c, field, sheet.text);
                return;
            case ResultSet::ColumnType::Variant:
                break;
            }
        }
    }
    const GridCell general = cell(row, column);
    sheet.kind = general.kind;
    switch (general.kind) {
    case GridCell::Kind::Number:
        sheet.number = general.value.toDouble();
        break;
    case GridCell::Kind::Date: {
        const QDateTime moment = general.value.typeId() == QMetaType::QDate ? general.value.toDate().startOfDay()
                                                                             : general.value.toDateTime();
        const QDate d = moment.date();
        const QTime t = moment.time();
        const int parts[6] = {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
        std::copy(std::begin(parts), std::end(parts), sheet.moment);
        break;
    }
    case GridCell::Kind::Text:
        sheet.text = general.text.toUtf8();
        break;
    }
}

std::vector<int> visibleColumns(const QTableView* view)
{
    const QHeaderView* header = view->horizontalHeader();
    std::vector<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical) && !view->isColumnHidden(logical))
            columns.push_back(logical);
    }
    return columns;
}

// Reads the selection as ranges rather than as indexes: "Select All" on 100,000 rows is one range.
GridSnapshot selectedRowsSnapshot(const QTableView* view)
{
    const QAbstractItemModel* model = view->model();
    std::vector<int> rows;
    if (const QItemSelectionModel* selection = view->selectionModel()) {
        std::vector<bool> selected(size_t(model->rowCount()), false);
        for (const QItemSelectionRange& range : selection->selection())
            for (int row = range.top(); row <= range.bottom() && row < int(selected.size()); ++row)
                selected[size_t(row)] = true;
        for (int row = 0; row < int(selected.size()); ++row)
            if (selected[size_t(row)])
                rows.push_back(row);
    }
    return GridSnapshot(model, visibleColumns(view), std::move(rows));
}

GridSnapshot allRowsSnapshot(const QTableView* view)
{
    const QAbstractItemModel* model = view->model();
    std::vector<int> rows(size_t(model->rowCount()));
    for (int row = 0; row < int(rows.size()); ++row)
        rows[size_t(row)] = row;
    return GridSnapshot(model, visibleColumns(view), std::move(rows));
}
