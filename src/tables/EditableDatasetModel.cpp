#include "tables/EditableDatasetModel.h"

#include "app/Application.h"
#include "data/Dataset.h"

namespace {
const Field* fieldAt(const Dataset* ds, int column)
{
    if (!ds || column < 0 || column >= ds->fieldCount())
        return nullptr;
    return ds->fields()[size_t(column)].get();
}
} // namespace

Qt::ItemFlags EditableDatasetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = DatasetModel::flags(index);
    const Field* field = fieldAt(dataset(), index.column());
    if (field && field->isVisible() && field->isEditable())
        f |= Qt::ItemIsEditable;
    return f;
}

bool EditableDatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Dataset* ds = dataset();
    const Field* f = fieldAt(ds, index.column());
    if (role != Qt::EditRole || !f || !f->isEditable())
        return false;
    return InstrelApplication::guarded([&] {
        if (ds->currentRow() != index.row())
            ds->setRecNo(index.row() + 1);
        ds->setValue(f->kind() == Field::Kind::Lookup ? f->lookup().keyField : f->name(), value);
    });
}
