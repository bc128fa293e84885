#include "devices/rules/IntervalBatch.h"

#include "data/SqlConnection.h"
#include "data/SqlValue.h"

namespace IntervalBatch {

QString countStatement(qint64 devRep)
{
    return QStringLiteral("select count(*) from NextRep where IDevRep = ") + QString::number(devRep) + QLatin1Char(';');
}

QString updateStatement(qint64 devRep, double rtMon)
{
    const SqlValue::MonthsDays interval = SqlValue::splitInterval(rtMon);
    return QStringLiteral("update NextRep set NextRep = DateAdd(\"d\", %1, DateAdd(\"m\", %2, LastRep)) "
                          "where IDevRep = %3 and LastRep is not null;")
        .arg(interval.days)
        .arg(interval.months)
        .arg(devRep);
}

int referenceCount(SqlConnection& connection, qint64 devRep)
{
    return connection.scalar(countStatement(devRep)).toInt();
}

int run(SqlConnection& connection, qint64 devRep, double rtMon)
{
    return connection.execute(updateStatement(devRep, rtMon));
}

} // namespace IntervalBatch

namespace IntervalChecks {
bool isNegative(const QVariant& rtMon) { return !rtMon.isNull() && rtMon.toDouble() < 0; }
} // namespace IntervalChecks
