#include "data/JetDialect.h"

#include <QList>
#include <QString>
#include <sqlite3.h>

// SQLite folds case for ASCII only ('Манометр' LIKE 'м%' is 0). These replacements fold all of
// Unicode through Qt, for the statements the program runs on its own connection.

namespace {

using CodePoints = QList<uint>; // what QString::toUcs4 gives in Qt 6.4

QString textArg(sqlite3_value* value)
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return QString::fromUtf8(bytes, sqlite3_value_bytes(value));
}

void resultText(sqlite3_context* ctx, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

CodePoints folded(const QString& text)
{
    return text.toCaseFolded().toUcs4();
}

// LIKE with % (any run) and _ (one character); `escape` (0 for none) makes the next character literal.
bool likeMatch(const CodePoints& pattern, const CodePoints& text, uint escape)
{
    qsizetype p = 0, t = 0;
    qsizetype starP = -1, starT = 0; // the last % seen and the text position it stands at
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == uint('%') && pattern[p] != escape) {
            starP = ++p;
            starT = t;
            continue;
        }
        if (p < pattern.size()) {
            const bool escaped = escape != 0 && pattern[p] == escape && p + 1 < pattern.size();
            const uint want = escaped ? pattern[p + 1] : pattern[p];
            if ((!escaped && want == uint('_')) || want == text[t]) {
                p += escaped ? 2 : 1;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP; // let the last % swallow one more character
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == uint('%') && pattern[p] != escape)
        ++p;
    return p == pattern.size();
}

void deleteCodePoints(void* data)
{
    delete static_cast<CodePoints*>(data);
}

// like(pattern, text[, escape]): what SQLite calls for "text LIKE pattern [ESCAPE e]".
void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return sqlite3_result_null(ctx);
    uint escape = 0;
    if (argc == 3) {
        const CodePoints e = textArg(argv[2]).toUcs4();
        if (e.size() != 1)
            return sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
        escape = QString::fromUcs4(reinterpret_cast<const char32_t*>(&e[0]), 1).toCaseFolded().toUcs4().value(0);
    }
    // The pattern is usually the same on every row: fold it once per statement.
    auto* pattern = static_cast<CodePoints*>(sqlite3_get_auxdata(ctx, 0));
    if (!pattern) {
        pattern = new CodePoints(folded(textArg(argv[0])));
        sqlite3_set_auxdata(ctx, 0, pattern, deleteCodePoints);
        pattern = static_cast<CodePoints*>(sqlite3_get_auxdata(ctx, 0));
        if (!pattern) // SQLite may drop it at once; fold again for this row
            return sqlite3_result_int(ctx, likeMatch(folded(textArg(argv[0])), folded(textArg(argv[1])), escape));
    }
    sqlite3_result_int(ctx, likeMatch(*pattern, folded(textArg(argv[1])), escape));
}

void lowerFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    resultText(ctx, textArg(argv[0]).toLower());
}

void upperFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    resultText(ctx, textArg(argv[0]).toUpper());
}

int noCaseCollation(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    const QString left = QString::fromUtf8(static_cast<const char*>(a), lengthA);
    const QString right = QString::fromUtf8(static_cast<const char*>(b), lengthB);
    const int order = left.compare(right, Qt::CaseInsensitive);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

} // namespace

namespace SqliteExtensions {

void registerAll(sqlite3* db)
{
    if (!db)
        return;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ulower", 1, flags, nullptr, lowerFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "uupper", 1, flags, nullptr, upperFunction, nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(db, "UNICODE_NOCASE", SQLITE_UTF8, nullptr, noCaseCollation, nullptr);
}

} // namespace SqliteExtensions
