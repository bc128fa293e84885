#include "data/LogAuthor.h"

#include "data/SqlConnection.h"

#include <pwd.h>
#include <unistd.h>

namespace LogAuthor {

namespace {

// The answers are kept on the connection itself, for the database it had open when they were
// found: a connection opened again on another file asks again.
const char* const kColumnProperty = "instrel_logAuthorColumn";
const char* const kNameProperty = "instrel_logAuthorName";

enum class Column { Unknown, Present, Missing };

QString databaseKey(const SqlConnection& connection)
{
    return connection.databaseFile() + QLatin1Char('\n') + connection.server() + QLatin1Char('\n') +
           QString::number(quintptr(connection.handle()));
}

std::optional<QString> remembered(const SqlConnection& connection, const char* property)
{
    const QStringList kept = connection.property(property).toStringList();
    if (kept.size() != 2 || kept[0] != databaseKey(connection))
        return std::nullopt;
    return kept[1];
}

void remember(SqlConnection& connection, const char* property, const QString& value)
{
    connection.setProperty(property, QStringList{databaseKey(connection), value});
}

Column rememberedColumn(const SqlConnection& connection)
{
    const std::optional<QString> kept = remembered(connection, kColumnProperty);
    return kept ? Column(kept->toInt()) : Column::Unknown;
}

void rememberColumn(SqlConnection& connection, Column column)
{
    remember(connection, kColumnProperty, QString::number(int(column)));
}

bool showsAuthor(SqlConnection& connection, const char* tableOrView)
{
    return connection.tableInfo(QString::fromLatin1(tableOrView))
        .columns.contains(QStringLiteral("ChangedBy"), Qt::CaseInsensitive);
}

bool everyLogShowsAuthor(SqlConnection& connection)
{
    for (const char* name : {"EditHist", "MovHist", "RepHist", "EditHistView", "MovHistView", "RepHistView"})
        if (!showsAuthor(connection, name))
            return false;
    return true;
}

} // namespace

bool ensureColumn(SqlConnection& connection)
{
    connection.open();
    const Column known = rememberedColumn(connection);
    if (known != Column::Unknown)
        return known == Column::Present;
    // The schema steps add the column; a database they have not reached (one the program could not
    // upgrade, for instance a read-only file of an earlier level) keeps its logs without it.
    const Column found = everyLogShowsAuthor(connection) ? Column::Present : Column::Missing;
    rememberColumn(connection, found);
    return found == Column::Present;
}

QString loginName()
{
    QString name;
    if (const passwd* user = getpwuid(geteuid()); user && user->pw_name)
        name = QString::fromLocal8Bit(user->pw_name);
    if (name.isEmpty())
        name = qEnvironmentVariable("USER");
    return name.left(kMaxLength);
}

std::optional<QString> forNewEntry(SqlConnection& connection)
{
    if (!ensureColumn(connection))
        return std::nullopt;
    if (const std::optional<QString> kept = remembered(connection, kNameProperty))
        return kept;
    const QString name = connection.server().isEmpty()
                             ? loginName()
                             : connection.scalar(QStringLiteral("select current_user")).toString().left(kMaxLength);
    remember(connection, kNameProperty, name);
    return name;
}

} // namespace LogAuthor
