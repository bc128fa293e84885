#include "data/RowIdentity.h"

#include "data/Dataset.h"
#include "data/SqlConnection.h"

namespace RowIdentity {

QVariant toKeep(const Dataset& dataset, const QString& keyField)
{
    if (keyField.isEmpty() || !dataset.isActive() || dataset.isEmpty() || !dataset.connection() ||
        dataset.connection()->server().isEmpty() || dataset.fieldIndex(keyField) < 0)
        return {};
    return dataset.value(keyField);
}

void returnTo(Dataset& dataset, const QString& keyField, const QVariant& key)
{
    if (key.isNull() || !key.isValid() || dataset.isEmpty() || dataset.value(keyField) == key)
        return;
    dataset.locate(keyField, key);
}

} // namespace RowIdentity
