#pragma once

#include <QStringList>
#include <QTextStream>

// The list of due services for scripts and cron: prints the services that are overdue or due within
// the horizon, with the columns of the services schedule, and can write them as CSV or .xlsx. The
// exit code tells a script whether anything is due. The database is opened for reading only.
class DueCommand {
public:
    enum ExitCode { NothingDue = 0, Failure = 1, Usage = 2, SomethingDue = 3 };

    DueCommand(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

    // `arguments` without the program name.
    int run(const QStringList& arguments);

private:
    struct Options {
        int days = 30;
        QString csvFile;
        QString xlsxFile;
        QString database = QStringLiteral("Device.db");
    };

    int parse(const QStringList& arguments, Options& options);
    int list(const Options& options);
    void writeText(const QByteArray& utf8);
    int usage(const QString& problem);
    int fail(const QString& problem);

    QTextStream& m_out;
    QTextStream& m_err;
};
