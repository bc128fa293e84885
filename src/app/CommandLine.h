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

// The database the command line names: a plant file or a server's connection string, at most one of
// them set; neither when the command line names none.
struct Database {
    QString file;
    QString server;
    bool isEmpty() const { return file.isEmpty() && server.isEmpty(); }
};

// The first argument that is not a switch names a plant file; so does a `--database=` value that
// names an existing file or has no "=" in it (and is not a postgresql:// address): a file name
// never needs one, and every connection string has one. The last choice given wins.
Database databaseOf(const QStringList& arguments);
// How a `--database=` value is read, by the rule above.
Database databaseOfValue(const QString& value);
} // namespace CommandLine
