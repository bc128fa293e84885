#pragma once

#include <QStringList>
#include <QTextStream>

// The database tool: creates an empty, a demonstration or a large database file, or brings an
// existing one up to the program's version with the program's own upgrade.
//
//   instrel-initdb --empty FILE     the objects a file must hold before the program's first start
//   instrel-initdb --demo FILE      an empty file, upgraded, with a demonstration plant
//   instrel-initdb --big FILE       an empty file, upgraded, with a plant of 100,000 devices
//   instrel-initdb --upgrade FILE   the upgrade the program runs at start-up
//
// A new file is never written over an existing one and never left half-written.
class InitDbCommand {
public:
    enum ExitCode { Success = 0, Failure = 1, Usage = 2 };

    InitDbCommand(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

    // `arguments` without the program name.
    int run(const QStringList& arguments);

private:
    enum class Mode { Empty, Demo, Big, Upgrade };

    int create(Mode mode, const QString& file);
    int upgrade(const QString& file);
    int usage(const QString& problem);
    int fail(const QString& text);

    QTextStream& m_out;
    QTextStream& m_err;
};
