#include "app/CommandLine.h"

#include "data/SchemaUpgrade.h"
#include "text/StrList.h"

namespace CommandLine {

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

} // namespace CommandLine
