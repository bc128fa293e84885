#include "devices/rules/DeviceLogs.h"

#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/LogAuthor.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"

namespace DeviceLogs {

namespace {

QString tableOf(Log log)
{
    switch (log) {
    case Log::Edit:
        return QStringLiteral("EditHist");
    case Log::Service:
        return QStringLiteral("RepHist");
    case Log::Move:
        return QStringLiteral("MovHist");
    }
    return {};
}

// Null, or the date in the storage form in quotes.
QString dateOrNull(const QVariant& value)
{
    const QDateTime moment = value.toDateTime();
    return value.isNull() || !moment.isValid() ? QStringLiteral("null") : SqlValue::literal(moment);
}

QString moment(const QDateTime& now) { return SqlValue::quoted(SqlValue::dateTimeText(now)); }

// "insert into T (columns) values (a,b,...);" by concatenation: a value that holds "%1" stays as typed.
QString insertText(const char* table, const char* columns, QStringList values, const Author& author)
{
    QString names = QString::fromLatin1(columns);
    if (author) {
        names += QStringLiteral(",changedby");
        values.append(author->isEmpty() ? QStringLiteral("null") : SqlValue::quoted(*author));
    }
    return QStringLiteral("insert into ") + QLatin1String(table) + QStringLiteral(" (") + names +
           QStringLiteral(") values (") + values.join(QLatin1Char(',')) + QStringLiteral(");");
}

} // namespace

QDateTime pruneCutOff(const QDate& today) { return QDateTime(today.addDays(-31), QTime(0, 0)); }

QString pruneStatement(Log log, const QDate& today)
{
    const QString table = tableOf(log).toLower();
    return QStringLiteral("delete from %1 where changedate<%2 and (select count(*) from %1)>1000")
        .arg(table, SqlValue::literal(pruneCutOff(today)));
}

QString clearStatement(Log log) { return QStringLiteral("delete from %1;").arg(tableOf(log)); }

QString allEntriesStatement(Log log) { return QStringLiteral("select * from %1View;").arg(tableOf(log)); }

QString deviceEntriesStatement(Log log)
{
    return QStringLiteral("select * from %1View where %1View.idevice = :ID_Device;").arg(tableOf(log));
}

QString editLogInsert(qint64 device, EditKind kind, const QDateTime& now, const QVariant& aNumber,
                      const QVariant& zNumber, const Author& author)
{
    return insertText("EditHist", "idevice,ivictim,changedate,anumber,znumber",
                      {QString::number(device), QString::number(int(kind)), moment(now),
                       SqlValue::quoted(aNumber.toString()), SqlValue::quoted(zNumber.toString())},
                      author);
}

QString serviceLogInsert(qint64 nextRep, const QDateTime& now, const ServiceDatesPair& before,
                         const ServiceDatesPair& after, const Author& author)
{
    return insertText("RepHist", "inextrep,changedate,lastdate,expecteddate,newdate,nextdate",
                      {QString::number(nextRep), moment(now), dateOrNull(before.lastRep), dateOrNull(before.nextRep),
                       dateOrNull(after.lastRep), dateOrNull(after.nextRep)},
                      author);
}

QString moveValueText(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QStringLiteral("null");
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate)
        return dateOrNull(value);
    const QString text = value.toString();
    return text.isEmpty() ? QStringLiteral("null") : SqlValue::quoted(text);
}

bool placementDiffers(const Placement& before, const Placement& after)
{
    const auto differs = [](const QVariant& a, const QVariant& b) { return moveValueText(a) != moveValueText(b); };
    return differs(before.location, after.location) || differs(before.locSet, after.locSet) ||
           differs(before.state, after.state) || differs(before.setPlace, after.setPlace) ||
           differs(before.setDate, after.setDate);
}

QString moveLogInsert(qint64 device, const QDateTime& now, const Placement& before, const Placement& after,
                      const Author& author)
{
    return insertText("MovHist",
                      "idevice,changedate,ilastlocation,inewlocation,ilastlocset,inewlocset,ilaststate,inewstate,"
                      "lastsetplace,newsetplace,lastsetdate,newsetdate",
                      {QString::number(device), moment(now), moveValueText(before.location),
                       moveValueText(after.location), moveValueText(before.locSet), moveValueText(after.locSet),
                       moveValueText(before.state), moveValueText(after.state), moveValueText(before.setPlace),
                       moveValueText(after.setPlace), moveValueText(before.setDate), moveValueText(after.setDate)},
                      author);
}

void writeEditLog(SqlConnection& connection, qint64 device, EditKind kind, const QVariant& aNumber,
                  const QVariant& zNumber)
{
    const Author author = LogAuthor::forNewEntry(connection);
    connection.execute(pruneStatement(Log::Edit, Clock::today()));
    connection.execute(editLogInsert(device, kind, Clock::now(), aNumber, zNumber, author));
}

void writeServiceLog(SqlConnection& connection, qint64 nextRep, const ServiceDatesPair& before,
                     const ServiceDatesPair& after)
{
    const Author author = LogAuthor::forNewEntry(connection);
    connection.execute(pruneStatement(Log::Service, Clock::today()));
    connection.execute(serviceLogInsert(nextRep, Clock::now(), before, after, author));
}

bool writeMoveLog(SqlConnection& connection, qint64 device, const Placement& before, const Placement& after)
{
    if (!placementDiffers(before, after))
        return false;
    const Author author = LogAuthor::forNewEntry(connection);
    connection.execute(pruneStatement(Log::Move, Clock::today()));
    connection.execute(moveLogInsert(device, Clock::now(), before, after, author));
    return true;
}

bool writeMoveNotes(SqlConnection& connection, const Dataset& entry)
{
    const QVariant key = entry.field(QStringLiteral("ID_MovHist")) ? entry.oldValue(QStringLiteral("ID_MovHist"))
                                                                    : QVariant();
    if (key.isNull())
        return false;
    return connection.execute(
               QStringLiteral("update MovHist set Sign = :Sign, Comments = :Comments where ID_MovHist = :ID_MovHist;"),
               {{QStringLiteral("Sign"), entry.value(QStringLiteral("Sign"))},
                {QStringLiteral("Comments"), entry.value(QStringLiteral("Comments"))},
                {QStringLiteral("ID_MovHist"), key}}) > 0;
}

} // namespace DeviceLogs
