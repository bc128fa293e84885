#include "devices/rules/IntervalBatch.h"

#include "data/SqlConnection.h"
#include "data/SqlValue.h"

namespace IntervalBatch {

namespace {
// The rows the update moves, and so the rows the question counts: a row without a last date has
// nothing to count its next date from.
QString movedRows(qint64 devRep)
{
    return QStringLiteral("IDevRep = ") + QString::number(devRep) + QStringLiteral(" and LastRep is not null;");
}
} // namespace

QString countStatement(qint64 devRep)
{
    return QStringLiteral("select count(*) from NextRep where ") + movedRows(devRep);
}

QString updateStatement(qint64 devRep, double rtMon)
{
    const SqlValue::MonthsDays interval = SqlValue::splitInterval(rtMon);
    return QStringLiteral("update NextRep set NextRep = DateAdd(\"d\", %1, DateAdd(\"m\", %2, LastRep)) where ")
               .arg(interval.days)
               .arg(interval.months) +
           movedRows(devRep);
}

int movableCount(SqlConnection& connection, qint64 devRep)
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
