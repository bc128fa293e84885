#pragma once

// Shared by the benchmarks: the big-plant database (made once and kept, it takes a minute), a
// temporary folder of the benchmark's own, the raw side (SQLite's C API in this process, on the same
// file, in the same run), timing by processor time, and the report.
//
// A benchmark that cannot do its work (no database, a failed statement, an export that wrote nothing,
// fewer rows than the raw side read) prints FAIL and exits non-zero: a figure measured on work that
// was not done would be worse than none.
#include "data/DatabaseError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <sqlite3.h>
#include <time.h>
#include <vector>

namespace bench {

[[noreturn]] inline void fail(const QString& why)
{
    std::printf("FAIL: %s\n", qPrintable(why));
    std::fflush(stdout);
    std::exit(1);
}

// Runs the measurements: an error that escapes them is a benchmark that failed to do its work.
inline int run(const std::function<void()>& measurements)
{
    try {
        measurements();
    } catch (const DatabaseError& error) {
        fail(error.message());
    } catch (const std::exception& error) {
        fail(QString::fromLocal8Bit(error.what()));
    }
    return 0;
}

inline void require(bool done, const QString& why)
{
    if (!done)
        fail(why);
}

// Path of the big plant, created with the database tool when missing. INSTREL_BIG_DB names another.
inline QString bigPlant()
{
    const QString path = qEnvironmentVariable("INSTREL_BIG_DB", QStringLiteral("/tmp/instrel-bench/Big.db"));
    if (QFile::exists(path))
        return path;
    require(QDir().mkpath(QFileInfo(path).absolutePath()), QStringLiteral("cannot create the folder of ") + path);
    const QString tool = QStringLiteral(INSTREL_INITDB_PATH);
    std::printf("creating %s with %s --big ...\n", qPrintable(path), qPrintable(tool));
    std::fflush(stdout);
    require(QProcess::execute(tool, {QStringLiteral("--big"), path}) == 0 && QFile::exists(path),
            QStringLiteral("could not create the big plant ") + path);
    return path;
}

// A temporary folder of the benchmark's own for what it writes, removed at the end.
class WorkFolder {
public:
    WorkFolder() { require(m_dir.isValid(), QStringLiteral("no temporary folder: ") + m_dir.errorString()); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// What a raw read saw: enough to check that both sides did the same work, and a checksum that keeps
// the compiler from skipping any of it.
struct RawRead {
    qint64 rows = 0;
    qint64 cells = 0;
    quint64 checksum = 0;
};

// SQLite's C API on the same file: the floor every benchmark compares with.
class RawDatabase {
public:
    explicit RawDatabase(const QString& file, int flags = SQLITE_OPEN_READONLY)
    {
        if (sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, flags, nullptr) != SQLITE_OK)
            fail(QStringLiteral("raw side cannot open %1: %2").arg(file, QString::fromUtf8(sqlite3_errmsg(m_db))));
    }
    ~RawDatabase() { sqlite3_close(m_db); }
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    sqlite3* handle() const { return m_db; }

    sqlite3_stmt* prepare(const QByteArray& sql) const
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
            fail(QStringLiteral("raw statement failed: %1\n%2")
                     .arg(QString::fromUtf8(sqlite3_errmsg(m_db)), QString::fromUtf8(sql)));
        return stmt;
    }

    void exec(const QByteArray& sql) const
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString why = QString::fromUtf8(error ? error : "");
            sqlite3_free(error);
            fail(QStringLiteral("raw statement failed: %1\n%2").arg(why, QString::fromUtf8(sql)));
        }
    }

    // Prepare, step through every row, read every column in its own storage type.
    RawRead fetch(const QByteArray& sql) const
    {
        sqlite3_stmt* stmt = prepare(sql);
        RawRead read;
        const int columns = sqlite3_column_count(stmt);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            ++read.rows;
            for (int c = 0; c < columns; ++c) {
                read.checksum += readCell(stmt, c);
                ++read.cells;
            }
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            fail(QStringLiteral("raw read failed: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
        return read;
    }

    // The cheapest way the API offers: one call into the connection per cell (each sqlite3_column_*
    // call takes the connection's mutex), the value read in its own type from what it returns.
    static quint64 readCell(sqlite3_stmt* stmt, int c)
    {
        sqlite3_value* cell = sqlite3_column_value(stmt, c);
        switch (sqlite3_value_type(cell)) {
        case SQLITE_INTEGER:
            return quint64(sqlite3_value_int64(cell));
        case SQLITE_FLOAT:
            return quint64(sqlite3_value_double(cell));
        case SQLITE_TEXT: {
            const unsigned char* text = sqlite3_value_text(cell);
            const int bytes = sqlite3_value_bytes(cell);
            return quint64(bytes) + (bytes > 0 ? text[bytes - 1] : 0);
        }
        case SQLITE_BLOB:
            return quint64(sqlite3_value_bytes(cell));
        default:
            return 0;
        }
    }

private:
    sqlite3* m_db = nullptr;
};

struct Timing {
    double ours = 0; // median, ms
    double raw = 0;  // median, ms
};

// The processor time this thread has used, in ms (the kernel's work for it included: reading the
// file from the page cache, writing files, page faults). Unlike the wall clock it does not count the
// time other programs on a busy machine hold the processor, which would blur every ratio.
inline double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Processor time of `work` in ms.
inline double timeMs(const std::function<void()>& work)
{
    const double start = cpuMs();
    work();
    return cpuMs() - start;
}

// Median timings of `ours` and `raw`, run alternately so that whatever changes during the run (the
// page cache, the machine's load) touches both sides alike.
inline Timing compare(int runs, const std::function<void()>& ours, const std::function<void()>& raw)
{
    std::vector<double> a, b;
    auto time = [](const std::function<void()>& work) { return timeMs(work); };
    for (int i = 0; i < runs; ++i) {
        a.push_back(time(ours));
        b.push_back(time(raw));
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {a[a.size() / 2], b[b.size() / 2]};
}

// Median of `runs` timings of `work`, in milliseconds.
inline double medianMs(int runs, const std::function<void()>& work)
{
    return compare(runs, work, [] {}).ours;
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

// One line per measurement: ours, the floor (the raw engine), their ratio and the goal.
inline void report(const char* what, const Timing& t, double goal)
{
    const double ratio = t.ours / t.raw;
    std::printf("%-44s ours %9.1f ms   floor %9.1f ms   ratio %5.2f  (goal <= %.2f) %s\n", what, t.ours, t.raw, ratio,
                goal, ratio <= goal ? "OK" : "OVER");
    std::fflush(stdout);
}

inline void report(const char* what, double ours, double raw, double goal) { report(what, Timing{ours, raw}, goal); }

} // namespace bench
