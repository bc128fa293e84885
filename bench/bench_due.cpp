// The due services on the big plant: the list as instrel-due reads and writes it, and the counts of
// the start-up reminder, each against SQLite's C API running the same statement on the same file in
// the same run.
#include "BenchSupport.h"

#include "data/Clock.h"
#include "data/SqlConnection.h"
#include "data/SqlValue.h"
#include "devices/rules/DueList.h"
#include "devices/rules/DueRule.h"

#include <QCoreApplication>
#include <sqlite3.h>
#include <string>

namespace {

bool failed = false;

void fail(const QString& what)
{
    std::printf("FAIL: %s\n", qPrintable(what));
    failed = true;
}

// The engine's own run of a statement with one date bound: every column of every row read.
qint64 rawRead(sqlite3* db, const QByteArray& sql, const QList<QDate>& days, quint64* checksum)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        fail(QStringLiteral("raw statement: ") + QString::fromUtf8(sqlite3_errmsg(db)));
        return 0;
    }
    for (int i = 0; i < days.size(); ++i) {
        const QByteArray day = SqlValue::dateText(days[i]).toUtf8();
        sqlite3_bind_text(stmt, i + 1, day.constData(), int(day.size()), SQLITE_TRANSIENT);
    }
    qint64 rows = 0;
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(stmt, c);
            *checksum += text ? text[0] + quint64(sqlite3_column_bytes(stmt, c)) : 0;
        }
    }
    sqlite3_finalize(stmt);
    return rows;
}

// A stored date ("YYYY-MM-DD..." text) laid out day first, as the list shows it; other text as it is,
// tabs and line breaks made spaces so that each row stays one line.
void appendCell(std::string& out, const unsigned char* text, int bytes)
{
    const auto digit = [&](int i) { return text[i] >= '0' && text[i] <= '9'; };
    if (bytes >= 10 && text[4] == '-' && text[7] == '-' && digit(0) && digit(3) && digit(6) && digit(9)) {
        const char day[10] = {char(text[8]), char(text[9]), '.', char(text[5]), char(text[6]), '.',
                              char(text[0]), char(text[1]), char(text[2]), char(text[3])};
        out.append(day, sizeof day);
        return;
    }
    for (int i = 0; i < bytes; ++i) {
        const char c = char(text[i]);
        out.push_back(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
    }
}

// The engine's run of the list statement written as tab-separated text, a title line first, the
// same layout our writer produces.
qint64 rawReadAndWrite(sqlite3* db, const QByteArray& sql, const QDate& limit, std::string* text)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        fail(QStringLiteral("raw statement: ") + QString::fromUtf8(sqlite3_errmsg(db)));
        return 0;
    }
    const QByteArray day = SqlValue::dateText(limit).toUtf8();
    sqlite3_bind_text(stmt, 1, day.constData(), int(day.size()), SQLITE_TRANSIENT);
    text->clear();
    const int columns = sqlite3_column_count(stmt);
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            text->push_back('\t');
        text->append(sqlite3_column_name(stmt, c));
    }
    text->append("\r\n");
    qint64 rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                text->push_back('\t');
            appendCell(*text, sqlite3_column_text(stmt, c), sqlite3_column_bytes(stmt, c));
        }
        text->append("\r\n");
    }
    sqlite3_finalize(stmt);
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString file = bench::bigPlant();
    const QDate today = Clock::today();
    const int horizon = DueRule::DefaultHorizon;
    const int runs = 5;

    SqlConnection connection;
    connection.setDatabaseFile(file);
    connection.open();
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::printf("FAIL: the raw side cannot open %s\n", qPrintable(file));
        return 1;
    }
    const QDate limit = DueRule::dueLimit(today, horizon);
    quint64 checksum = 0;

    // The list: read, laid out as the schedule's columns and written as text, as instrel-due does (the
// tool then hands the bytes to its output as they are).
    const QByteArray listSql = connection.translate(DueList::listStatement()).toUtf8();
    qint64 rawRows = rawRead(raw, listSql, {limit}, &checksum); // warms the cache for both sides
    qint64 ourRows = 0;
    qint64 written = 0;
    const double ours = bench::medianMs(runs, [&] {
        const DueList::Listing listing = DueList(connection, today, horizon).listing();
        ourRows = listing.rows;
        written = listing.text.size();
    });
    std::string rawText;
    const double rawMs = bench::medianMs(runs, [&] { rawRows = rawReadAndWrite(raw, listSql, limit, &rawText); });
    std::printf("due within %d days of %s: %lld services (raw %lld), %lld bytes of text (raw %lld)\n", horizon,
                qPrintable(today.toString(Qt::ISODate)), (long long)ourRows, (long long)rawRows, (long long)written,
                (long long)rawText.size());
    if (ourRows != rawRows || ourRows == 0 || written == 0 || rawText.empty())
        fail(QStringLiteral("the list and the engine disagree, or nothing is due on the big plant"));
    bench::report("due list, read and written as text", ours, rawMs, 1.5);

    // The counts behind the start-up notice.
    const QByteArray countSql = connection.translate(DueList::countStatement()).toUtf8();
    DueList::Counts counts;
    const double oursCount = bench::medianMs(runs, [&] { counts = DueList(connection, today, horizon).count(); });
    const double rawCount = bench::medianMs(runs, [&] { rawRead(raw, countSql, {today, limit}, &checksum); });
    std::printf("overdue %lld, due soon %lld\n", (long long)counts.overdue, (long long)counts.dueSoon);
    if (counts.overdue + counts.dueSoon != ourRows)
        fail(QStringLiteral("the counts do not add up to the list"));
    bench::report("start-up counts", oursCount, rawCount, 1.5);

    sqlite3_close(raw);
    std::printf("checksum %llu\n", (unsigned long long)checksum);
    return failed ? 1 : 0;
}
