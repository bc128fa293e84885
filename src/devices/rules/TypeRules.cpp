#include "devices/rules/TypeRules.h"

#include "data/Dataset.h"

namespace TypeRules {

QString newTypeName() { return QStringLiteral("New type"); }

const QStringList& sameColumns()
{
    static const QStringList columns{QStringLiteral("INaim"), QStringLiteral("Name_DevType"),
                                     QStringLiteral("Mark_DevType"), QStringLiteral("IPrec"),
                                     QStringLiteral("IConstruct"), QStringLiteral("IMaker"),
                                     QStringLiteral("Srok"), QStringLiteral("Otkaz")};
    return columns;
}

QString sameStatement(qint64 type)
{
    return QStringLiteral("select * from DevType where id_DevType = ") + QString::number(type) + QLatin1Char(';');
}

QVariant returnIdAfterDeletion(const Dataset& types)
{
    const int key = types.fieldIndex(QStringLiteral("ID_DevType"));
    const int row = types.currentRow();
    return types.valueAt(row > 0 ? row - 1 : row, key);
}

} // namespace TypeRules

bool insertCopy(Dataset& target, const QString& statement, const QStringList& columns)
{
    Dataset source(target.connection());
    source.setSql(statement);
    source.open();
    if (source.isEmpty())
        return false;
    target.insert();
    for (const QString& column : columns)
        target.setValue(column, source.value(column));
    return true;
}
