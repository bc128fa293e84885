#pragma once

#include "data/DatasetModel.h"

// A grid that edits its dataset in place: a cell's new value goes to the dataset's current row (the
// dataset enters editing by itself); moving the grid to another row stores it. Lookup columns take
// the key they stand for; read-only fields and calculated ones are not editable.
class EditableDatasetModel : public DatasetModel {
    Q_OBJECT
public:
    using DatasetModel::DatasetModel;

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // `value` is already of the column's kind (the delegate converts the text). A database error
    // reaches the user in the standard box and leaves the cell as it was.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
};
