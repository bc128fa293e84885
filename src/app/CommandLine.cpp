#include "app/CommandLine.h"

#include "data/SchemaUpgrade.h"
#include "text/StrList.h"

#include <QFileInfo>

namespace CommandLine {

namespace {
const QString kDatabaseOption = QStringLiteral("--database=");

bool isSwitch(const QString& argument)
{
    if (argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("/?"))
        return true;
    // "/STOP" is a switch; any other "/..." is an absolute path.
    return argument.compare(QLatin1String("/STOP"), Qt::CaseInsensitive) == 0;
}

bool isServerAddress(const QString& value)
{
    return value.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           value.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}
} // namespace

Request requestOf(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h") || argument == QLatin1String("/?"))
            return Request::Help;
        if (argument == QLatin1String("--version"))
            return Request::Version;
    }
    return Request::Run;
}

QString usage(const QString& programName) { return FormatText(Str::CommandLineUsage, programName, ReadProgramVersion()); }

QString version() { return FormatText(Str::CommandLineVersion, ReadProgramVersion()); }

Database databaseOfValue(const QString& value)
{
    const QString given = value.trimmed();
    if (given.isEmpty())
        return {};
    if (QFileInfo(given).isFile() || (!given.contains(QLatin1Char('=')) && !isServerAddress(given)))
        return {given, {}};
    return {{}, given};
}

Database databaseOf(const QStringList& arguments)
{
    Database chosen;
    bool fileArgumentSeen = false;
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith(kDatabaseOption)) {
            // An empty value counts as not given.
            if (const Database value = databaseOfValue(argument.mid(kDatabaseOption.size())); !value.isEmpty())
                chosen = value;
        } else if (!isSwitch(argument) && !fileArgumentSeen && !argument.trimmed().isEmpty()) {
            fileArgumentSeen = true;
            chosen = {argument, {}};
        }
    }
    return chosen;
}

} // namespace CommandLine
