// instrel-initdb: creates database files for the program, or upgrades one (see InitDbCommand.h).
#include "InitDbCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const int code = InitDbCommand(out, err).run(arguments);
    out.flush();
    err.flush();
    return code;
}
