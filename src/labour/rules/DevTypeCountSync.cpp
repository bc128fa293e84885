#include "labour/rules/DevTypeCountSync.h"

#include "data/SqlConnection.h"
#include "data/Transaction.h"

QString DevTypeCountSync::insertPairsStatement()
{
    return QStringLiteral("INSERT INTO DevTypeCount ( IDevType, ICrew ) SELECT DevType.ID_DevType, Crew.ID_Crew FROM "
                          "DevType, Crew WHERE (select count(idevtype) from devtypecount where idevtype =  "
                          "DevType.ID_DevType and icrew =  Crew.ID_Crew)=0;");
}

QString DevTypeCountSync::deleteOrphansStatement()
{
    return QStringLiteral("DELETE FROM DevTypeCount WHERE DevTypeCount.ID_DevTypeCount not in (SELECT "
                          "DevTypeCount.ID_DevTypeCount FROM (DevTypeCount INNER JOIN DevType ON "
                          "DevTypeCount.IDevType = DevType.ID_DevType) INNER JOIN Crew ON DevTypeCount.ICrew = "
                          "Crew.ID_Crew);");
}

QString DevTypeCountSync::countUpdateStatement(qint64 devType, const QVariant& count, qint64 crew)
{
    // An empty count is stored as an empty count, not left out of the statement.
    const QString value = count.isNull() ? QStringLiteral("NULL") : QString::number(count.toLongLong());
    return QStringLiteral(" UPDATE DevTypeCount SET DevTypeCount.Count = ") + value +
           QStringLiteral(" WHERE DevTypeCount.IDevType = ") + QString::number(devType) +
           QStringLiteral(" AND DevTypeCount.ICrew = ") + QString::number(crew) + QLatin1Char(';');
}

void DevTypeCountSync::run()
{
    Transaction transaction(m_connection);
    m_connection.execute(insertPairsStatement());
    m_connection.execute(deleteOrphansStatement());
    transaction.commit();
}

void DevTypeCountSync::typePosted(qint64 devType, const QVariant& count, qint64 crew)
{
    Transaction transaction(m_connection);
    m_connection.execute(deleteOrphansStatement());
    m_connection.execute(insertPairsStatement());
    m_connection.execute(countUpdateStatement(devType, count, crew));
    transaction.commit();
}
