#include "data/DatasetModel.h"

#include "data/Dataset.h"

DatasetModel::DatasetModel(Dataset* dataset, QObject* parent) : QAbstractTableModel(parent), m_dataset(dataset)
{
    m_rows = dataset->recordCount();
    m_columns = dataset->fieldCount();
    connect(dataset, &Dataset::fieldsChanged, this, &DatasetModel::resetAll);
    connect(dataset, &Dataset::rowsReplaced, this, &DatasetModel::resetRows);
    connect(dataset, &Dataset::controlsEnabled, this, &DatasetModel::resetRows);
    connect(dataset, &Dataset::rowChanged, this, [this](int row) {
        if (row < m_rows)
            emit dataChanged(index(row, 0), index(row, m_columns - 1));
    });
    connect(dataset, &Dataset::rowInserted, this, [this](int row) {
        if (m_columns != m_dataset->fieldCount())
            return resetAll();
        beginInsertRows({}, row, row);
        m_rows = m_dataset->recordCount();
        endInsertRows();
    });
    connect(dataset, &Dataset::rowRemoved, this, [this](int row) {
        beginRemoveRows({}, row, row);
        m_rows = m_dataset->recordCount();
        endRemoveRows();
    });
}

// Rows are replaced by removing and inserting them rather than by a model reset, so that the view's
// column widths, order and hidden columns survive a re-query.
void DatasetModel::resetRows()
{
    if (m_columns != m_dataset->fieldCount())
        return resetAll();
    const int now = m_dataset->recordCount();
    if (m_rows > 0 && now != m_rows) {
        beginRemoveRows({}, 0, m_rows - 1);
        m_rows = 0;
        endRemoveRows();
    }
    if (now > 0 && m_rows == 0) {
        beginInsertRows({}, 0, now - 1);
        m_rows = now;
        endInsertRows();
    } else if (now > 0) {
        emit dataChanged(index(0, 0), index(now - 1, m_columns - 1));
    }
}

void DatasetModel::resetAll()
{
    beginResetModel();
    m_rows = m_dataset->recordCount();
    m_columns = m_dataset->fieldCount();
    endResetModel();
}

void DatasetModel::refreshHeaders()
{
    if (m_columns > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
}

int DatasetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int DatasetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns; }

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!m_dataset || !index.isValid() || index.row() >= m_dataset->recordCount() ||
        index.column() >= m_dataset->fieldCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_dataset->displayText(index.row(), index.column());
    case Qt::EditRole:
        return m_dataset->valueAt(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        const QVariant value = m_dataset->valueAt(index.row(), index.column());
        const int type = value.typeId();
        const bool number = type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Double;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
    case Qt::FontRole:
    case Qt::DecorationRole:
    case Qt::ToolTipRole:
        return m_cellStyle ? m_cellStyle(index.row(), index.column(), role) : QVariant();
    default:
        return {};
    }
}

void DatasetModel::setCellStyle(CellStyle style)
{
    m_cellStyle = std::move(style);
    restyle();
}

void DatasetModel::restyle()
{
    if (m_rows > 0 && m_columns > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole, Qt::FontRole, Qt::DecorationRole, Qt::ToolTipRole});
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_dataset)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= m_dataset->fieldCount())
        return {};
    return m_dataset->fields()[size_t(section)]->label();
}
