#pragma once

#include <QStringList>
#include <QTextStream>

// instrel-initdb --import-devices FILE DB [--create-missing] [--update-existing] [--check]
//                [--sheet N] [--header-row N] [--separator ;|,|tab] [--report REPORT.csv]
//
// Brings the devices of a .csv or .xlsx file into an existing database by the rules the program's
// import window uses, with the mapping remembered there for the file's titles (Device.ini in the
// current folder) or else the one proposed from them. Refused rows are printed (row, column, reason)
// and nothing is stored.
class ImportCommand {
public:
    enum ExitCode { Success = 0, Failure = 1, Usage = 2, RowsRefused = 4 };

    ImportCommand(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

    // `arguments` after "--import-devices".
    int run(const QStringList& arguments);

private:
    int usage(const QString& problem);
    int fail(const QString& text);

    QTextStream& m_out;
    QTextStream& m_err;
};
