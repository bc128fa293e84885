#pragma once

#include "data/DatasetModel.h"

#include <QStringList>

// The table window's grid model: the dataset's columns, with the titles of grouped columns marked
// "<label>  group(n)" in blue underlined type, n being the column's place among the grouping columns.
class GroupTitleModel : public DatasetModel {
    Q_OBJECT
public:
    using DatasetModel::DatasetModel;

    void setGroupFields(const QStringList& fields);
    // 1-based place of `field` among the grouping columns (letter case ignored), 0 when not grouped.
    int groupPosition(const QString& field) const;

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString fieldName(int section) const;

    QStringList m_groupFields;
};
