#pragma once

// The database tool run as a user runs it, as a separate process, for the tests that need a
// database made (or moved) the way the tool makes it. The test target defines INSTREL_INITDB_PATH.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#ifndef INSTREL_INITDB_PATH
#error "INSTREL_INITDB_PATH must name the database tool"
#endif

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline ToolRun initdb(const QStringList& arguments, const QString& workingDirectory)
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(INSTREL_INITDB_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(300000)) << arguments.join(' ').toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
