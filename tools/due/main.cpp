// instrel-due: the services that are overdue or due soon, for scripts (see DueCommand.h).
#include "DueCommand.h"

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
    const int code = DueCommand(out, err).run(arguments);
    out.flush();
    err.flush();
    return code;
}
