#pragma once

#include <QString>
#include <QStringList>

// The few requests that the command line answers at once, before the single-instance guard and
// without any window: usage and version. Everything else (STOP among it) is the guard's.
namespace CommandLine {
enum class Request { Run, Help, Version };

// --help, -h, /? ask for the usage; --version for the version; anything else runs the program.
Request requestOf(const QStringList& arguments);
// The usage in the language in use: the switches, what the program looks for in the current folder
// and how to create a database there.
QString usage(const QString& programName);
QString version();
} // namespace CommandLine
