#include "plan/PivotModel.h"

PivotModel::PivotModel(QObject* parent) : QAbstractTableModel(parent) {}

void PivotModel::setPivot(ServicePivot pivot)
{
    beginResetModel();
    m_pivot = std::move(pivot);
    endResetModel();
}

void PivotModel::setDimensionTitles(const QString& rows, const QString& columns)
{
    m_rowsTitle = rows;
    m_columnsTitle = columns;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int PivotModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_pivot.rowCount(); }

int PivotModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_pivot.columnCount() + 1;
}

QVariant PivotModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (index.column() == 0)
        return role == Qt::DisplayRole ? QVariant(m_pivot.rowTitle(index.row())) : QVariant();
    const int column = index.column() - 1;
    if (role == Qt::DisplayRole && m_pivot.hasValue(index.row(), column))
        return m_pivot.value(index.row(), column);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant PivotModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return {};
    if (section == 0)
        return m_rowsTitle + QStringLiteral(" \\ ") + m_columnsTitle;
    return m_pivot.month(section - 1);
}
