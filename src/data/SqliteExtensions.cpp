#include "data/JetDialect.h"

#include <QList>
#include <QString>
#include <optional>
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

// Case folding of the code points nearly every text of the program is made of (ASCII and Cyrillic),
// or -1 for any other, which sends the comparison to the general path.
int foldCommon(char32_t cp)
{
    if (cp < 0x80)
        return cp >= 'A' && cp <= 'Z' ? int(cp) + 0x20 : int(cp);
    if (cp >= 0x410 && cp <= 0x42F)
        return int(cp) + 0x20;
    if (cp >= 0x400 && cp <= 0x40F)
        return int(cp) + 0x50;
    if (cp >= 0x430 && cp <= 0x45F)
        return int(cp);
    return -1;
}

// One code point of one- or two-byte UTF-8; false for anything longer or malformed.
bool nextShortCodePoint(const unsigned char*& p, const unsigned char* end, char32_t& cp)
{
    if (p[0] < 0x80) {
        cp = p[0];
        ++p;
        return true;
    }
    if ((p[0] & 0xE0) == 0xC0 && p + 1 < end && (p[1] & 0xC0) == 0x80) {
        cp = char32_t((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
        p += 2;
        return true;
    }
    return false;
}

// The comparison without converting both texts, for ASCII and Cyrillic; nullopt when a text holds
// anything else. A filter over a large plant calls the collation once per row.
std::optional<int> compareCommon(const unsigned char* a, int lengthA, const unsigned char* b, int lengthB)
{
    const unsigned char* endA = a + lengthA;
    const unsigned char* endB = b + lengthB;
    while (a < endA && b < endB) {
        char32_t ca, cb;
        if (!nextShortCodePoint(a, endA, ca) || !nextShortCodePoint(b, endB, cb))
            return std::nullopt;
        const int fa = foldCommon(ca), fb = foldCommon(cb);
        if (fa < 0 || fb < 0)
            return std::nullopt;
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    if (a == endA && b == endB)
        return 0;
    // The longer text must still consist of common code points for the answer to hold.
    const bool aLonger = a < endA;
    const unsigned char* rest = aLonger ? a : b;
    const unsigned char* end = aLonger ? endA : endB;
    for (char32_t c; rest < end;)
        if (!nextShortCodePoint(rest, end, c) || foldCommon(c) < 0)
            return std::nullopt;
    return aLonger ? 1 : -1;
}

int noCaseCollation(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    if (const std::optional<int> quick = compareCommon(static_cast<const unsigned char*>(a), lengthA,
                                                       static_cast<const unsigned char*>(b), lengthB))
        return *quick;
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
