#pragma once

// Shared by the benchmarks: the big-plant database (made once, kept in /tmp), timing, and the
// resident memory of this process.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

// Path of the big plant, created with the database tool when missing.
inline QString bigPlant()
{
    const QString path = qEnvironmentVariable("INSTREL_BIG_DB", QStringLiteral("/tmp/instrel-bench/Big.db"));
    if (!QFile::exists(path)) {
        QProcess::execute(QStringLiteral("mkdir"), {QStringLiteral("-p"), path.section(QLatin1Char('/'), 0, -2)});
        const QString tool = QStringLiteral(INSTREL_INITDB_PATH);
        std::printf("creating %s with %s --big ...\n", qPrintable(path), qPrintable(tool));
        std::fflush(stdout);
        if (QProcess::execute(tool, {QStringLiteral("--big"), path}) != 0) {
            std::fprintf(stderr, "could not create the big plant\n");
            std::exit(1);
        }
    }
    return path;
}

// Median of `runs` timings of `work`, in milliseconds.
inline double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Resident memory of this process in MB.
inline double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Runs the sqlite3 shell on `file` with `sql`, output discarded; the raw engine's time.
inline void sqliteShell(const QString& file, const QString& sql)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.start(QStringLiteral("sqlite3"), {file, sql});
    shell.waitForFinished(-1);
}

inline void report(const char* what, double ours, double raw, double goal)
{
    std::printf("%-46s ours %9.1f ms   raw %9.1f ms   ratio %5.2f  (goal <= %.2f) %s\n", what, ours, raw, ours / raw,
                goal, ours / raw <= goal ? "OK" : "OVER");
}

} // namespace bench
