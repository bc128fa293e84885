#include "tables/GroupTitleModel.h"

#include "data/Dataset.h"
#include "text/StrList.h"

#include <QBrush>
#include <QFont>

void GroupTitleModel::setGroupFields(const QStringList& fields)
{
    m_groupFields = fields;
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int GroupTitleModel::groupPosition(const QString& field) const
{
    for (int i = 0; i < m_groupFields.size(); ++i)
        if (m_groupFields[i].compare(field, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

QString GroupTitleModel::fieldName(int section) const
{
    const Dataset* ds = dataset();
    if (!ds || section < 0 || section >= ds->fieldCount())
        return {};
    return ds->fields()[size_t(section)]->name();
}

QVariant GroupTitleModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const QVariant base = DatasetModel::headerData(section, orientation, role);
    if (orientation != Qt::Horizontal)
        return base;
    const int position = groupPosition(fieldName(section));
    if (position == 0)
        return base;
    switch (role) {
    case Qt::DisplayRole:
        return base.toString() + QStringLiteral("  ") + Text(Str::TableGroup) + QStringLiteral("(%1)").arg(position);
    case Qt::ForegroundRole:
        return QBrush(Qt::blue);
    case Qt::FontRole: {
        QFont font = base.isValid() ? base.value<QFont>() : QFont();
        font.setUnderline(true);
        return font;
    }
    default:
        return base;
    }
}
