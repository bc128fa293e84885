// Fuzz target of the filter row: what a user types into a column's filter cell. Whatever the text,
// the parser either refuses it with a message, or gives a condition that the engine accepts as the
// end of the one statement it is part of (no value escapes its quotes), and that compares with a
// value rather than with NULL when the user did not ask for NULL.
//
// The first byte of an input picks the column's kind (text, number, date), the rest is the text.
#include "data/JetDialect.h"
#include "tables/FilterRowQuery.h"

#include <QRegularExpression>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace {

[[noreturn]] void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail.left(500)));
    std::abort();
}

sqlite3* database()
{
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        SqliteExtensions::registerAll(opened);
        sqlite3_exec(opened, "create table T ( Col text null );", nullptr, nullptr, nullptr);
        return opened;
    }();
    return db;
}

bool comparesWithNull(const QString& condition)
{
    // Outside quoted values: "= NULL" is never true, so such a filter silently finds nothing.
    static const QRegularExpression quoted(QStringLiteral("'([^']|'')*'"));
    static const QRegularExpression nullComparison(QStringLiteral("(=|<>|<|>)\\s*NULL\\b"));
    QString bare = condition;
    bare.replace(quoted, QStringLiteral("''"));
    return bare.contains(nullComparison);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const auto kind = static_cast<FilterRowQuery::ColumnKind>(data[0] % 3);
    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const FilterRowQuery::Parsed parsed = FilterRowQuery::parse(QStringLiteral("Col"), kind, typed);
    if (!parsed.ok()) {
        if (!parsed.condition.isEmpty())
            fail("a refused text left a condition", parsed.condition);
        return 0;
    }
    if (parsed.condition.isEmpty())
        return 0;
    if (comparesWithNull(parsed.condition))
        fail("a comparison with NULL", parsed.condition);

    const QString statement =
        FilterRowQuery::rebuild(QStringLiteral("select * from T\rWHERE\r1=1;"), QStringList{parsed.condition});
    const QByteArray sent = JetDialect::toSqlite(statement).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(database(), sent.constData(), int(sent.size()), &stmt, &tail) != SQLITE_OK)
        fail("the engine refuses the condition", QString::fromUtf8(sqlite3_errmsg(database())) +
                                                     QLatin1String(" in ") + QString::fromUtf8(sent));
    sqlite3_finalize(stmt);
    for (; tail && *tail; ++tail)
        if (*tail != ' ' && *tail != '\r' && *tail != '\n' && *tail != '\t' && *tail != ';')
            fail("text after the statement", QString::fromUtf8(sent));
    return 0;
}
