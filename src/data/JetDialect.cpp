#include "data/JetDialect.h"

#include "data/DatabaseError.h"
#include "data/SqlValue.h"
#include "text/StrList.h"

#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <climits>
#include <functional>
#include <optional>
#include <vector>

// The translator works on tokens, never on raw text, so that a string literal such as 'top 1 +' or a
// bracketed name can never be rewritten by accident. A statement is tokenized (Jet's lexical forms
// such as "text", #dates# and [Table.Column] are normalised there), a few statement-level rules
// adjust the token list (DDL identity, DELETE col FROM, UPDATE SET T.col), and the tokens are then
// rendered back to text, expanding Jet's functions on the way. Tokens no rule touches are written
// back exactly as they came, so a statement that needs nothing comes back unchanged.
//
// What differs per engine is gathered in `Target`: SQLite, and PostgreSQL for a plant on a server.

namespace {

enum class Kind { Space, Comment, Word, Number, String, Bracket, Param, Symbol };

struct Token {
    Kind kind;
    QString text;
};
using Tokens = std::vector<Token>;

bool isWord(const Token& t, const char* word)
{
    return t.kind == Kind::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token& t, const char* symbol)
{
    return t.kind == Kind::Symbol && t.text == QLatin1String(symbol);
}

bool isBlank(const Token& t)
{
    return t.kind == Kind::Space || t.kind == Kind::Comment;
}

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}
bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// ---------------------------------------------------------------------------------------------------
// Engine-specific spellings.

struct Target {
    virtual ~Target() = default;
    virtual QString dateLiteral(const QDateTime& moment) const = 0;
    // A name Jet writes in brackets (`body` without them).
    virtual QString bracketName(const QString& body) const = 0;
    // A plain word (keyword, type or name) as this engine spells it.
    virtual QString word(const QString& text) const { return text; }
    virtual QString limit(const QString& count) const = 0;
    virtual QString identityColumn() const = 0;
    virtual QString concat() const = 0;
    virtual QString iif(const QString& condition, const QString& whenTrue, const QString& whenFalse) const
    {
        return QStringLiteral("CASE WHEN %1 THEN %2 ELSE %3 END").arg(condition, whenTrue, whenFalse);
    }
    // Today at midnight, moved by `days` (may be empty).
    virtual QString today(const QString& days) const = 0;
    virtual QString now(const QString& days) const = 0;
    // Jet's Year, Month or Day (`unit` is "year", "month" or "day") as an integer.
    virtual QString datePart(const QString& unit, const QString& value) const = 0;
    // A number truncated toward zero to an integer.
    virtual QString wholeNumber(const QString& value) const = 0;
    virtual QString addMonths(const QString& months, const QString& value) const = 0;
    virtual QString addSeconds(const QString& seconds, const QString& value) const = 0;
    // `expression` built over names that stand for `date` and `count`, each evaluated once.
    virtual QString computedOnce(const QString& date, const QString& count,
                                 const std::function<QString(const QString&, const QString&)>& expression) const = 0;
    // Jet sorts NULLs first and returns grouped rows in the order of their keys; an engine that does
    // neither by itself is told so in every ORDER BY and GROUP BY.
    virtual bool needsNullsFirst() const { return false; }
    // Jet's DROP VIEW takes the views built on it along; an engine that refuses is told to.
    virtual bool needsCascadingViewDrop() const { return false; }
    // Words (lower case) that make a statement worth translating besides the common ones.
    virtual const QStringList& triggerWords() const
    {
        static const QStringList none;
        return none;
    }
};

struct SqliteTarget final : Target {
    QString dateLiteral(const QDateTime& moment) const override
    {
        return SqlValue::quoted(SqlValue::dateTimeText(moment));
    }
    QString bracketName(const QString& body) const override { return QLatin1Char('[') + body + QLatin1Char(']'); }
    QString limit(const QString& count) const override { return QStringLiteral(" LIMIT ") + count; }
    QString identityColumn() const override { return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"); }
    QString concat() const override { return QStringLiteral("||"); }

    QString today(const QString& days) const override
    {
        return QStringLiteral("datetime('now','localtime','start of day'%1)").arg(dayModifier(days));
    }
    QString now(const QString& days) const override
    {
        return QStringLiteral("datetime('now','localtime'%1)").arg(dayModifier(days));
    }
    QString datePart(const QString& unit, const QString& value) const override
    {
        const QString format = unit == QLatin1String("year")    ? QStringLiteral("%Y")
                               : unit == QLatin1String("month") ? QStringLiteral("%m")
                                                                : QStringLiteral("%d");
        return QStringLiteral("CAST(strftime('%1', %2) AS INTEGER)").arg(format, value);
    }
    // SQLite's CAST to an integer truncates toward zero.
    QString wholeNumber(const QString& value) const override { return QStringLiteral("CAST(%1 AS INTEGER)").arg(value); }
    // Keeps the day of the month, lowered to the last day of the target month (31 January + 1 month
    // is 28/29 February), and keeps the time: SQLite's own '+N months' would overflow into March.
    QString addMonths(const QString& months, const QString& value) const override
    {
        const QString day = datePart(QStringLiteral("day"), value);
        const QString lastDay = QStringLiteral("CAST(strftime('%d', %1, 'start of month', (%2 + 1) || ' months', "
                                               "'-1 days') AS INTEGER)")
                                    .arg(value, months);
        return QStringLiteral("(date(%1, 'start of month', %2 || ' months', (min(%3, %4) - 1) || ' days') || ' ' "
                              "|| time(%1))")
            .arg(value, months, day, lastDay);
    }
    QString addSeconds(const QString& seconds, const QString& value) const override
    {
        return QStringLiteral("datetime(%1, %2 || ' seconds')").arg(value, seconds);
    }
    // A correlated sub-select: plain SQL, so it serves view definitions too.
    QString computedOnce(const QString& date, const QString& count,
                         const std::function<QString(const QString&, const QString&)>& expression) const override
    {
        return QStringLiteral("(SELECT %1 FROM (SELECT %2 AS jet_date, %3 AS jet_count) AS jet_args)")
            .arg(expression(QStringLiteral("jet_date"), QStringLiteral("jet_count")), date, count);
    }

private:
    static QString dayModifier(const QString& days)
    {
        return days.isEmpty() ? QString() : QStringLiteral(",'%1 days'").arg(days);
    }
};

// PostgreSQL folds unquoted names to lower case, so objects are created unquoted and a bracketed
// name becomes a quoted lower-case one. Dates are timestamps without time zone, whole seconds.
struct PostgresTarget final : Target {
    QString dateLiteral(const QDateTime& moment) const override
    {
        return QStringLiteral("TIMESTAMP ") + SqlValue::quoted(SqlValue::dateTimeText(moment));
    }
    // Folded as the engine folds an unquoted name: ASCII letters only.
    QString bracketName(const QString& body) const override
    {
        QString name = body;
        for (QChar& c : name)
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(c.unicode() + ('a' - 'A'));
        return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    }
    QString word(const QString& text) const override
    {
        // Jet's LIKE ignores letter case; the column type of Jet's dates.
        if (text.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("ILIKE");
        if (text.compare(QLatin1String("datetime"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("timestamp(0)");
        return text;
    }
    QString limit(const QString& count) const override { return QStringLiteral(" LIMIT ") + count; }
    QString identityColumn() const override { return QStringLiteral("integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"); }
    QString concat() const override { return QStringLiteral("||"); }
    // Both branches must have one type: a text literal against a number column is refused otherwise.
    QString iif(const QString& condition, const QString& whenTrue, const QString& whenFalse) const override
    {
        if (whenTrue.startsWith(QLatin1Char('\'')))
            return QStringLiteral("CASE WHEN %1 THEN %2 ELSE CAST(%3 AS text) END").arg(condition, whenTrue, whenFalse);
        return Target::iif(condition, whenTrue, whenFalse);
    }
    // Jet's Date() is the local day: the session's time zone is the client's.
    QString today(const QString& days) const override
    {
        return days.isEmpty() ? QStringLiteral("CAST(CURRENT_DATE AS timestamp(0))")
                              : QStringLiteral("CAST(CURRENT_DATE %1 AS timestamp(0))").arg(days);
    }
    QString now(const QString& days) const override
    {
        return days.isEmpty() ? QStringLiteral("LOCALTIMESTAMP(0)")
                              : QStringLiteral("(LOCALTIMESTAMP(0) %1 * interval '1 day')").arg(days);
    }
    QString datePart(const QString& unit, const QString& value) const override
    {
        return QStringLiteral("CAST(date_part('%1', CAST(%2 AS timestamp)) AS smallint)").arg(unit, value);
    }
    // A cast to an integer rounds here; Jet's interval update moves by whole months.
    QString wholeNumber(const QString& value) const override
    {
        return QStringLiteral("CAST(trunc(%1) AS integer)").arg(value);
    }
    // The engine's month arithmetic already lowers 31 January + 1 month to the last of February.
    QString addMonths(const QString& months, const QString& value) const override
    {
        return QStringLiteral("(CAST(%1 AS timestamp(0)) + make_interval(months => %2))").arg(value, months);
    }
    QString addSeconds(const QString& seconds, const QString& value) const override
    {
        return QStringLiteral("(CAST(%1 AS timestamp(0)) + make_interval(secs => %2))").arg(value, seconds);
    }
    // The date and the count appear once in the expression already.
    QString computedOnce(const QString& date, const QString& count,
                         const std::function<QString(const QString&, const QString&)>& expression) const override
    {
        return expression(date, count);
    }
    bool needsNullsFirst() const override { return true; }
    bool needsCascadingViewDrop() const override { return true; }
    const QStringList& triggerWords() const override
    {
        static const QStringList words{QStringLiteral("order"), QStringLiteral("group"), QStringLiteral("like"),
                                       QStringLiteral("datetime"), QStringLiteral("drop")};
        return words;
    }
};

// ---------------------------------------------------------------------------------------------------
// Tokenizer.

// Jet's date literal: #MM/DD/YYYY# or #YYYY-MM-DD#, optionally with a time.
std::optional<QDateTime> parseJetDate(const QString& body)
{
    static const QRegularExpression us(QStringLiteral(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?\s*$)"));
    static const QRegularExpression iso(
        QStringLiteral(R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    int year = 0, month = 0, day = 0;
    QRegularExpressionMatch m = us.match(body);
    QString meridiem;
    if (m.hasMatch()) {
        month = m.captured(1).toInt();
        day = m.captured(2).toInt();
        year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += year < 30 ? 2000 : 1900; // Jet's two-digit year window
        meridiem = m.captured(7).toUpper();
    } else {
        m = iso.match(body);
        if (!m.hasMatch())
            return std::nullopt;
        year = m.captured(1).toInt();
        month = m.captured(2).toInt();
        day = m.captured(3).toInt();
    }
    int hour = m.captured(4).toInt();
    if (meridiem == QLatin1String("PM") && hour < 12)
        hour += 12;
    else if (meridiem == QLatin1String("AM") && hour == 12)
        hour = 0;
    const QDate date(year, month, day);
    const QTime time(hour, m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

class Tokenizer {
public:
    Tokenizer(const QString& text, const Target& target) : m_s(text), m_target(target) {}

    Tokens run()
    {
        while (m_pos < m_s.size())
            next();
        return std::move(m_tokens);
    }

private:
    QChar at(qsizetype i) const { return i < m_s.size() ? m_s[i] : QChar(); }
    void push(Kind kind, qsizetype end) { push(kind, m_s.mid(m_pos, end - m_pos), end); }
    void push(Kind kind, const QString& text, qsizetype end)
    {
        m_tokens.push_back({kind, text});
        m_pos = end;
    }

    void next()
    {
        const QChar c = m_s[m_pos];
        if (c.isSpace())
            return space();
        if (c == QLatin1Char('\''))
            return singleQuoted();
        if (c == QLatin1Char('"'))
            return doubleQuoted();
        if (c == QLatin1Char('['))
            return bracketed();
        if (c == QLatin1Char('#'))
            return hashDate();
        if (c == QLatin1Char(':') && isNameStart(at(m_pos + 1)))
            return name(Kind::Param, m_pos + 1);
        if (c.isDigit() || (c == QLatin1Char('.') && at(m_pos + 1).isDigit()))
            return number();
        if (isNameStart(c))
            return name(Kind::Word, m_pos);
        if (c == QLatin1Char('-') && at(m_pos + 1) == QLatin1Char('-'))
            return lineComment();
        if (c == QLatin1Char('/') && at(m_pos + 1) == QLatin1Char('*'))
            return blockComment();
        symbol();
    }

    void space()
    {
        qsizetype end = m_pos;
        while (end < m_s.size() && m_s[end].isSpace())
            ++end;
        push(Kind::Space, end);
    }

    // End of a literal closed by `quote`, where a doubled quote stands for one; size() if unclosed.
    qsizetype quotedEnd(QChar quote) const
    {
        qsizetype i = m_pos + 1;
        while (i < m_s.size()) {
            if (m_s[i] == quote) {
                if (at(i + 1) != quote)
                    return i + 1;
                ++i;
            }
            ++i;
        }
        return m_s.size();
    }

    void singleQuoted() { push(Kind::String, quotedEnd(QLatin1Char('\''))); }

    // Jet reads "..." as a text literal; SQLite would take it for a column name when one matches.
    void doubleQuoted()
    {
        const qsizetype end = quotedEnd(QLatin1Char('"'));
        if (end == m_s.size() && (end - m_pos < 2 || m_s[end - 1] != QLatin1Char('"')))
            return push(Kind::String, end); // unclosed: leave it for the engine to report
        QString body = m_s.mid(m_pos + 1, end - m_pos - 2);
        body.replace(QStringLiteral("\"\""), QStringLiteral("\""));
        push(Kind::String, SqlValue::quoted(body), end);
    }

    // [Table.Column] names a column of a table in Jet; SQLite needs [Table].[Column].
    void bracketed()
    {
        const qsizetype close = m_s.indexOf(QLatin1Char(']'), m_pos + 1);
        if (close < 0)
            return push(Kind::Bracket, m_s.size());
        const QString body = m_s.mid(m_pos + 1, close - m_pos - 1);
        const QStringList parts = body.split(QLatin1Char('.'));
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i > 0)
                m_tokens.push_back({Kind::Symbol, QStringLiteral(".")});
            m_tokens.push_back({Kind::Bracket, m_target.bracketName(parts[i])});
        }
        m_pos = close + 1;
    }

    void hashDate()
    {
        // The longest date literal, "#12/31/2025 11:59:59 PM#", is far shorter: a longer span is not
        // one and is not worth matching.
        constexpr qsizetype kLongestDate = 40;
        const qsizetype close = m_s.indexOf(QLatin1Char('#'), m_pos + 1);
        if (close > 0 && close - m_pos <= kLongestDate) {
            if (const auto moment = parseJetDate(m_s.mid(m_pos + 1, close - m_pos - 1)))
                return push(Kind::String, m_target.dateLiteral(*moment), close + 1);
        }
        push(Kind::Symbol, m_pos + 1);
    }

    void name(Kind kind, qsizetype from)
    {
        qsizetype end = from;
        while (end < m_s.size() && isNamePart(m_s[end]))
            ++end;
        push(kind, end);
    }

    void number()
    {
        qsizetype end = m_pos;
        while (at(end).isDigit())
            ++end;
        if (at(end) == QLatin1Char('.')) {
            ++end;
            while (at(end).isDigit())
                ++end;
        }
        const QChar e = at(end);
        if (e == QLatin1Char('e') || e == QLatin1Char('E')) {
            qsizetype exp = end + 1;
            if (at(exp) == QLatin1Char('+') || at(exp) == QLatin1Char('-'))
                ++exp;
            if (at(exp).isDigit()) {
                end = exp;
                while (at(end).isDigit())
                    ++end;
            }
        }
        push(Kind::Number, end);
    }

    void lineComment()
    {
        qsizetype end = m_pos;
        while (end < m_s.size() && m_s[end] != QLatin1Char('\n') && m_s[end] != QLatin1Char('\r'))
            ++end;
        push(Kind::Comment, end);
    }

    void blockComment()
    {
        const qsizetype close = m_s.indexOf(QStringLiteral("*/"), m_pos + 2);
        push(Kind::Comment, close < 0 ? m_s.size() : close + 2);
    }

    void symbol()
    {
        static const char* const pairs[] = {"<>", "<=", ">=", "||", "!=", "=="};
        const QString two = m_s.mid(m_pos, 2);
        for (const char* pair : pairs)
            if (two == QLatin1String(pair))
                return push(Kind::Symbol, m_pos + 2);
        if (m_s[m_pos] == QLatin1Char('&')) // Jet's text concatenation
            return push(Kind::Symbol, m_target.concat(), m_pos + 1);
        push(Kind::Symbol, m_pos + 1);
    }

    const QString& m_s;
    const Target& m_target;
    qsizetype m_pos = 0;
    Tokens m_tokens;
};

// ---------------------------------------------------------------------------------------------------
// Statement-level rules on the token list.

class TokenList {
public:
    explicit TokenList(Tokens tokens) : m_t(std::move(tokens)) {}
    size_t size() const { return m_t.size(); }
    const Token& operator[](size_t i) const { return m_t[i]; }

    // Index of the next / previous significant token, size() / npos when there is none.
    size_t next(size_t i, size_t end) const
    {
        for (++i; i < end; ++i)
            if (!isBlank(m_t[i]))
                return i;
        return end;
    }
    size_t next(size_t i) const { return next(i, m_t.size()); }
    size_t prev(size_t i, size_t begin) const
    {
        while (i > begin) {
            --i;
            if (!isBlank(m_t[i]))
                return i;
        }
        return npos;
    }
    // Whether the token at `i` is the first of a statement (nothing but blanks or a ";" before it).
    bool startsStatement(size_t i) const
    {
        const size_t before = prev(i, 0);
        return before == npos || isSymbol(m_t[before], ";");
    }

    // Pairs every "(" with its ")" in one pass, so that finding a group's end costs nothing however
    // deeply groups nest; returns the deepest nesting found.
    int matchParentheses()
    {
        m_match.assign(m_t.size(), npos);
        std::vector<size_t> open;
        size_t deepest = 0;
        for (size_t i = 0; i < m_t.size(); ++i) {
            if (isSymbol(m_t[i], "(")) {
                open.push_back(i);
                deepest = std::max(deepest, open.size());
            } else if (isSymbol(m_t[i], ")") && !open.empty()) {
                m_match[open.back()] = i;
                m_match[i] = open.back();
                open.pop_back();
            }
        }
        return int(std::min<size_t>(deepest, INT_MAX));
    }
    // The ")" that closes the "(" at `open`, or npos (also before matchParentheses()).
    size_t closing(size_t open) const { return open < m_match.size() ? m_match[open] : npos; }

    // First significant token after `from` at the same parenthesis depth that satisfies `pred`;
    // the search ends with the statement (at a ";" at any depth), so that rules applied to each
    // statement of a text never read past it.
    template <typename Pred> size_t findAtDepth(size_t from, Pred pred) const
    {
        int depth = 0;
        for (size_t i = from; i < m_t.size(); ++i) {
            const Token& t = m_t[i];
            if (isSymbol(t, ";"))
                return npos;
            if (depth == 0 && pred(t))
                return i;
            if (isSymbol(t, "("))
                ++depth;
            else if (isSymbol(t, ")") && --depth < 0)
                return npos;
        }
        return npos;
    }
    // Tokens are blanked out rather than erased, so that a rule costs the same wherever it applies.
    void replace(size_t first, size_t last, Token with)
    {
        blankOut(first + 1, last + 1);
        m_t[first] = std::move(with);
    }
    void blankOut(size_t first, size_t last)
    {
        for (size_t i = first; i < last; ++i)
            m_t[i] = {Kind::Space, QString()};
    }

    static constexpr size_t npos = size_t(-1);

private:
    Tokens m_t;
    std::vector<size_t> m_match;
};

// "int IDENTITY [UNIQUE] PRIMARY KEY": SQLite accepts the words but leaves the keys NULL.
void rewriteIdentity(TokenList& list, const Target& target)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (!isWord(list[i], "int") && !isWord(list[i], "integer") && !isWord(list[i], "long"))
            continue;
        size_t j = list.next(i);
        if (j == list.size() || !isWord(list[j], "identity"))
            continue;
        j = list.next(j);
        if (j < list.size() && isWord(list[j], "unique"))
            j = list.next(j);
        if (j == list.size() || !isWord(list[j], "primary"))
            continue;
        j = list.next(j);
        if (j == list.size() || !isWord(list[j], "key"))
            continue;
        list.replace(i, j, {Kind::Word, target.identityColumn()});
    }
}

// "DELETE T.col FROM T ..." (Jet names a column, or *, before FROM) becomes "DELETE FROM T ...".
void rewriteDeleteColumn(TokenList& list)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (!isWord(list[i], "delete") || !list.startsStatement(i))
            continue;
        const size_t first = list.next(i);
        if (first == list.size() || isWord(list[first], "from"))
            continue;
        const size_t from = list.findAtDepth(first, [](const Token& t) { return isWord(t, "from"); });
        if (from == TokenList::npos)
            continue;
        list.blankOut(first, from); // the blank before the column stays and separates DELETE from FROM
    }
}

// "UPDATE T SET T.col = v": SQLite allows no qualifier on the column being set.
void rewriteSetQualifiers(TokenList& list)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (!isWord(list[i], "update") || !list.startsStatement(i))
            continue;
        size_t p = list.findAtDepth(i + 1, [](const Token& t) { return isWord(t, "set"); });
        while (p != TokenList::npos && p < list.size()) {
            const size_t target = list.next(p);
            const size_t dot = list.next(target);
            const size_t column = list.next(dot);
            const size_t eq = list.next(column);
            if (eq < list.size() && isSymbol(list[dot], ".") && isSymbol(list[eq], "=") &&
                (list[target].kind == Kind::Word || list[target].kind == Kind::Bracket))
                list.blankOut(target, column);
            p = list.findAtDepth(list.next(p), [](const Token& t) { return isSymbol(t, ",") || isWord(t, "where"); });
            if (p != TokenList::npos && isWord(list[p], "where"))
                break;
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Rules that add tokens (for engines that need them), applied before the list is paired up.

// Tokens to add before given positions, gathered first and applied in one pass, so that the rules
// cost the same however many clauses a statement has.
class Insertions {
public:
    void add(size_t before, Tokens tokens) { m_items.push_back({before, m_items.size(), std::move(tokens)}); }
    bool isEmpty() const { return m_items.empty(); }

    Tokens appliedTo(Tokens tokens)
    {
        std::sort(m_items.begin(), m_items.end(),
                  [](const Item& a, const Item& b) { return a.before != b.before ? a.before < b.before : a.order < b.order; });
        Tokens out;
        out.reserve(tokens.size() + m_items.size() * 4);
        size_t next = 0;
        for (size_t i = 0; i <= tokens.size(); ++i) {
            for (; next < m_items.size() && m_items[next].before == i; ++next)
                for (Token& t : m_items[next].tokens)
                    out.push_back(std::move(t));
            if (i < tokens.size())
                out.push_back(std::move(tokens[i]));
        }
        return out;
    }

private:
    struct Item {
        size_t before;
        size_t order;
        Tokens tokens;
    };
    std::vector<Item> m_items;
};

Tokens words(std::initializer_list<const char*> list)
{
    Tokens out;
    for (const char* w : list) {
        out.push_back({Kind::Space, QStringLiteral(" ")});
        out.push_back({Kind::Word, QString::fromLatin1(w)});
    }
    return out;
}

// Jet sorts NULLs before every value and returns grouped rows in the order of their keys. For an
// engine that does neither, every ORDER BY key is told where NULLs go, and a GROUP BY without an
// ORDER BY gets one over its keys. Works per SELECT: a parenthesised group is a frame of its own.
class NullOrdering {
public:
    explicit NullOrdering(const Tokens& tokens) : m_t(tokens) {}

    Insertions run()
    {
        m_frames.assign(1, Frame{});
        for (size_t i = 0; i < m_t.size(); ++i) {
            const Token& t = m_t[i];
            if (isBlank(t))
                continue;
            if (isSymbol(t, "(")) {
                m_frames.push_back(Frame{});
            } else if (isSymbol(t, ")")) {
                finish(m_frames.back(), i);
                if (m_frames.size() > 1)
                    m_frames.pop_back();
                else
                    m_frames.back() = Frame{};
            } else if (isSymbol(t, ";")) {
                while (m_frames.size() > 1) {
                    finish(m_frames.back(), i);
                    m_frames.pop_back();
                }
                finish(m_frames.back(), i);
                m_frames.back() = Frame{};
            } else if (t.kind == Kind::Word) {
                word(i);
            }
        }
        while (!m_frames.empty()) {
            finish(m_frames.back(), m_t.size());
            m_frames.pop_back();
        }
        return std::move(m_insertions);
    }

private:
    static constexpr size_t npos = size_t(-1);
    struct Frame {
        size_t groupFrom = npos, groupEnd = npos;
        size_t orderFrom = npos, orderEnd = npos;
        size_t selectEnd = npos; // a LIMIT or UNION that ends the clauses before the frame does
    };

    size_t nextSignificant(size_t i) const
    {
        for (++i; i < m_t.size(); ++i)
            if (!isBlank(m_t[i]))
                return i;
        return npos;
    }

    void word(size_t i)
    {
        Frame& f = m_frames.back();
        const Token& t = m_t[i];
        const size_t after = nextSignificant(i);
        const bool by = after != npos && isWord(m_t[after], "by");
        if (isWord(t, "group") && by) {
            f.groupFrom = after + 1;
        } else if (isWord(t, "order") && by) {
            endClause(f.groupEnd, f.groupFrom, i);
            f.orderFrom = after + 1;
        } else if (isWord(t, "having")) {
            endClause(f.groupEnd, f.groupFrom, i);
        } else if (isWord(t, "union")) {
            finish(f, i);
            f = Frame{};
        } else if (isWord(t, "limit")) {
            endClause(f.groupEnd, f.groupFrom, i);
            endClause(f.orderEnd, f.orderFrom, i);
            if (f.selectEnd == npos)
                f.selectEnd = i;
        }
    }

    static void endClause(size_t& end, size_t from, size_t at)
    {
        if (from != npos && end == npos)
            end = at;
    }

    // The keys of a list between `from` and `end`: top-level comma-separated ranges.
    std::vector<std::pair<size_t, size_t>> keys(size_t from, size_t end) const
    {
        std::vector<std::pair<size_t, size_t>> out;
        int depth = 0;
        size_t start = from;
        for (size_t k = from; k < end; ++k) {
            if (isSymbol(m_t[k], "("))
                ++depth;
            else if (isSymbol(m_t[k], ")"))
                --depth;
            else if (depth == 0 && isSymbol(m_t[k], ",")) {
                out.emplace_back(start, k);
                start = k + 1;
            }
        }
        out.emplace_back(start, end);
        return out;
    }

    // The last significant token in [from, end), npos when there is none.
    size_t lastSignificant(size_t from, size_t end) const
    {
        for (size_t k = end; k > from; --k)
            if (!isBlank(m_t[k - 1]))
                return k - 1;
        return npos;
    }

    void finish(const Frame& f, size_t frameEnd)
    {
        if (f.orderFrom != npos) {
            for (const auto& [from, end] : keys(f.orderFrom, f.orderEnd != npos ? f.orderEnd : frameEnd)) {
                const size_t last = lastSignificant(from, end);
                if (last == npos || mentionsNulls(from, end))
                    continue;
                m_insertions.add(last + 1, isWord(m_t[last], "desc") ? words({"NULLS", "LAST"}) : words({"NULLS", "FIRST"}));
            }
            return;
        }
        if (f.groupFrom == npos)
            return;
        const size_t selectEnd = f.selectEnd != npos ? f.selectEnd : frameEnd;
        const size_t at = lastSignificant(f.groupFrom, selectEnd);
        if (at == npos)
            return;
        Tokens order = words({"ORDER", "BY"});
        bool first = true;
        for (const auto& [from, end] : keys(f.groupFrom, f.groupEnd != npos ? f.groupEnd : selectEnd)) {
            const size_t last = lastSignificant(from, end);
            if (last == npos)
                continue;
            if (!first)
                order.push_back({Kind::Symbol, QStringLiteral(",")});
            first = false;
            order.push_back({Kind::Space, QStringLiteral(" ")});
            size_t k = from;
            while (isBlank(m_t[k]))
                ++k;
            for (; k <= last; ++k)
                order.push_back(m_t[k]);
            for (Token& w : words({"NULLS", "FIRST"}))
                order.push_back(std::move(w));
        }
        if (!first)
            m_insertions.add(at + 1, std::move(order));
    }

    bool mentionsNulls(size_t from, size_t end) const
    {
        for (size_t k = from; k < end; ++k)
            if (isWord(m_t[k], "nulls"))
                return true;
        return false;
    }

    const Tokens& m_t;
    std::vector<Frame> m_frames;
    Insertions m_insertions;
};

// "drop view X": Jet drops the views built on X along with it; an engine that refuses while others
// depend on X is told to take them too, and a view not there is no error.
void cascadeViewDrops(const Tokens& t, Insertions& insertions)
{
    const auto nextSignificant = [&](size_t i) {
        for (++i; i < t.size(); ++i)
            if (!isBlank(t[i]))
                return i;
        return t.size();
    };
    bool statementStart = true;
    for (size_t i = 0; i < t.size(); ++i) {
        if (isBlank(t[i]))
            continue;
        const bool starts = statementStart;
        statementStart = isSymbol(t[i], ";");
        if (!starts || !isWord(t[i], "drop"))
            continue;
        const size_t view = nextSignificant(i);
        if (view == t.size() || !isWord(t[view], "view"))
            continue;
        const size_t name = nextSignificant(view);
        if (name == t.size() || isWord(t[name], "if") || (t[name].kind != Kind::Word && t[name].kind != Kind::Bracket))
            continue;
        insertions.add(view + 1, words({"IF", "EXISTS"}));
        insertions.add(name + 1, words({"CASCADE"}));
    }
}

Tokens withEngineClauses(Tokens tokens, const Target& target)
{
    Insertions insertions;
    if (target.needsNullsFirst())
        insertions = NullOrdering(tokens).run();
    if (target.needsCascadingViewDrop())
        cascadeViewDrops(tokens, insertions);
    return insertions.isEmpty() ? std::move(tokens) : insertions.appliedTo(std::move(tokens));
}

// ---------------------------------------------------------------------------------------------------
// Rendering with function expansion.
//
// Every token is rendered once, into one output text: a group is rendered where it stands, and the
// arguments of a Jet function are rendered once each and reused whether the function expands or not.
// Recursion follows the nesting of parentheses, which translate() has bounded.

class Renderer {
public:
    Renderer(const TokenList& list, const Target& target) : m_l(list), m_target(target) {}

    void render(size_t begin, size_t end, QString& out) const
    {
        const qsizetype start = out.size();
        std::optional<QString> limit; // from "select top N", placed at the end of this SELECT
        size_t i = begin;
        while (i < end) {
            const Token& t = m_l[i];
            if (isSymbol(t, ";") && limit) {
                appendLimit(out, start, *limit);
                limit.reset();
            }
            if (isWord(t, "select")) {
                if (auto skipped = skipTop(i, end, out)) {
                    limit = m_target.limit(skipped->first);
                    i = skipped->second;
                    continue;
                }
            }
            if (t.kind == Kind::Word || isSymbol(t, "(")) {
                if (auto done = group(i, end, out)) {
                    i = *done;
                    continue;
                }
            }
            if (isSymbol(t, "+") && nextToText(i, begin, end))
                out += m_target.concat();
            else if (t.kind == Kind::Word)
                out += m_target.word(t.text);
            else
                out += t.text;
            ++i;
        }
        if (limit)
            appendLimit(out, start, *limit);
    }

private:
    QString rendered(size_t begin, size_t end) const
    {
        QString out;
        render(begin, end, out);
        return out;
    }

    // Before the blanks that end the text written since `start`.
    static void appendLimit(QString& out, qsizetype start, const QString& clause)
    {
        qsizetype keep = out.size();
        while (keep > start && out[keep - 1].isSpace())
            --keep;
        out.insert(keep, clause);
    }

    bool nextToText(size_t i, size_t begin, size_t end) const
    {
        const size_t before = m_l.prev(i, begin);
        const size_t after = m_l.next(i, end);
        return (before != TokenList::npos && m_l[before].kind == Kind::String) ||
               (after < end && m_l[after].kind == Kind::String);
    }

    // "select [distinct] top N ": writes "select [distinct] " and returns N and where to go on.
    std::optional<std::pair<QString, size_t>> skipTop(size_t select, size_t end, QString& out) const
    {
        size_t top = m_l.next(select, end);
        if (top < end && (isWord(m_l[top], "distinct") || isWord(m_l[top], "distinctrow")))
            top = m_l.next(top, end);
        if (top >= end || !isWord(m_l[top], "top"))
            return std::nullopt;
        const size_t count = m_l.next(top, end);
        if (count >= end || m_l[count].kind != Kind::Number || m_l[count].text.contains(QLatin1Char('.')))
            return std::nullopt;
        const size_t after = m_l.next(count, end);
        if (after < end && isWord(m_l[after], "percent"))
            return std::nullopt;
        for (size_t k = select; k < top; ++k)
            out += m_l[k].text;
        size_t resume = count + 1;
        if (resume < end && m_l[resume].kind == Kind::Space)
            ++resume;
        return std::make_pair(m_l[count].text, resume);
    }

    // A parenthesised group or a function call starting at `i`: renders it and returns the index after
    // it, or nothing when `i` starts neither.
    std::optional<size_t> group(size_t i, size_t end, QString& out) const
    {
        size_t open = i;
        if (m_l[i].kind == Kind::Word) {
            open = m_l.next(i, end);
            if (open >= end || !isSymbol(m_l[open], "("))
                return std::nullopt;
        }
        const size_t close = m_l.closing(open);
        if (close == TokenList::npos || close >= end)
            return std::nullopt;
        if (m_l[i].kind == Kind::Word) {
            const QString name = m_l[i].text.toLower();
            if (isJetFunction(name)) {
                const QStringList pieces = argumentTexts(open, close);
                size_t resume = close + 1;
                if (auto expanded = expand(name, trimmedArguments(pieces), close, end, resume)) {
                    out += *expanded;
                    return resume;
                }
                for (size_t k = i; k < open; ++k)
                    out += m_l[k].text;
                out += QLatin1Char('(') + pieces.join(QLatin1Char(',')) + QLatin1Char(')');
                return close + 1;
            }
            for (size_t k = i; k < open; ++k)
                out += m_l[k].text;
        }
        out += QLatin1Char('(');
        render(open + 1, close, out);
        out += QLatin1Char(')');
        return close + 1;
    }

    // The rendered text between the top-level commas of a call, as it stands (blanks included).
    QStringList argumentTexts(size_t open, size_t close) const
    {
        QStringList pieces;
        size_t start = open + 1;
        for (size_t k = open + 1; k <= close; ++k) {
            if (k < close && isSymbol(m_l[k], "(")) {
                const size_t inner = m_l.closing(k);
                if (inner != TokenList::npos && inner < close)
                    k = inner; // commas inside belong to the inner group
            } else if (k == close || isSymbol(m_l[k], ",")) {
                pieces.append(rendered(start, k));
                start = k + 1;
            }
        }
        return pieces;
    }

    // The arguments trimmed; none for "()".
    static QStringList trimmedArguments(const QStringList& pieces)
    {
        QStringList args;
        for (const QString& piece : pieces)
            args.append(piece.trimmed());
        if (args.size() == 1 && args.first().isEmpty())
            args.clear();
        return args;
    }

    static bool isJetFunction(const QString& name)
    {
        static const QStringList names{QStringLiteral("iif"),   QStringLiteral("isnull"), QStringLiteral("year"),
                                       QStringLiteral("month"), QStringLiteral("day"),    QStringLiteral("date"),
                                       QStringLiteral("now"),   QStringLiteral("dateadd")};
        return names.contains(name);
    }

    std::optional<QString> expand(const QString& name, const QStringList& args, size_t close, size_t end,
                                  size_t& resume) const
    {
        if (name == QLatin1String("iif") && args.size() == 3)
            return m_target.iif(args[0], args[1], args[2]);
        if (name == QLatin1String("isnull") && args.size() == 1)
            return QStringLiteral("(%1 IS NULL)").arg(args[0]);
        if (args.size() == 1 &&
            (name == QLatin1String("year") || name == QLatin1String("month") || name == QLatin1String("day")))
            return m_target.datePart(name, args[0]);
        if (args.isEmpty() && (name == QLatin1String("date") || name == QLatin1String("now"))) {
            const QString days = dayOffset(close, end, resume);
            return name == QLatin1String("date") ? m_target.today(days) : m_target.now(days);
        }
        if (name == QLatin1String("dateadd") && args.size() == 3)
            return dateAdd(args);
        return std::nullopt;
    }

    // "Date() - 31": the number of days that follows, folded into the expression ("-31"); moves
    // `resume` past it. Not folded when a * or / would bind the number to something else.
    QString dayOffset(size_t close, size_t end, size_t& resume) const
    {
        const size_t sign = m_l.next(close, end);
        if (sign >= end || !(isSymbol(m_l[sign], "-") || isSymbol(m_l[sign], "+")))
            return {};
        const size_t number = m_l.next(sign, end);
        if (number >= end || m_l[number].kind != Kind::Number)
            return {};
        const size_t after = m_l.next(number, end);
        if (after < end && (isSymbol(m_l[after], "*") || isSymbol(m_l[after], "/")))
            return {};
        resume = number + 1;
        return (isSymbol(m_l[sign], "-") ? QStringLiteral("-") : QStringLiteral("+")) + m_l[number].text;
    }

    // Month arithmetic names its date and its count several times. A name, a literal or a short
    // expression is simply repeated; anything longer (a call, another DateAdd) is computed once in a
    // sub-select, or nested calls would multiply the text at every level.
    static bool isCheapToRepeat(const QString& argument)
    {
        return argument.size() <= 64 && !argument.contains(QLatin1Char('('));
    }

    // DateAdd(unit, n, d). The count is truncated toward zero: the service interval update moves
    // dates by whole months.
    std::optional<QString> dateAdd(const QStringList& args) const
    {
        const QString& unitText = args[0];
        if (unitText.size() < 3 || !unitText.startsWith(QLatin1Char('\'')) || !unitText.endsWith(QLatin1Char('\'')))
            return std::nullopt;
        const QString unit = unitText.mid(1, unitText.size() - 2).toLower();
        const QString count = m_target.wholeNumber(args[1]);
        const QString& value = args[2];
        static const QHash<QString, int> months{
            {QStringLiteral("m"), 1}, {QStringLiteral("q"), 3}, {QStringLiteral("yyyy"), 12}};
        static const QHash<QString, int> seconds{{QStringLiteral("d"), 86400}, {QStringLiteral("y"), 86400},
                                                 {QStringLiteral("w"), 86400}, {QStringLiteral("ww"), 7 * 86400},
                                                 {QStringLiteral("h"), 3600},  {QStringLiteral("n"), 60},
                                                 {QStringLiteral("s"), 1}};
        if (months.contains(unit)) {
            const QString monthCount = scaled(count, months.value(unit));
            if (isCheapToRepeat(args[1]) && isCheapToRepeat(value))
                return m_target.addMonths(monthCount, value);
            return m_target.computedOnce(value, monthCount, [this](const QString& d, const QString& n) {
                return m_target.addMonths(n, d);
            });
        }
        if (seconds.contains(unit))
            return m_target.addSeconds(scaled(count, seconds.value(unit)), value);
        return std::nullopt;
    }

    static QString scaled(const QString& count, int factor)
    {
        return factor == 1 ? count : QStringLiteral("(%1 * %2)").arg(count).arg(factor);
    }

    const TokenList& m_l;
    const Target& m_target;
};

// Deeper nesting than any statement of the program needs; the engine's own parser gives up not far
// beyond it, and the translator's work stays proportional to the statement's length.
constexpr int kMaxNesting = 200;

QString translate(const QString& statement, const Target& target)
{
    TokenList list(withEngineClauses(Tokenizer(statement, target).run(), target));
    if (list.matchParentheses() > kMaxNesting)
        throw DatabaseError(FormatText(Str::StatementTooDeep, kMaxNesting), statement);
    rewriteIdentity(list, target);
    rewriteDeleteColumn(list);
    rewriteSetQualifiers(list);
    QString out;
    out.reserve(statement.size() + statement.size() / 2);
    Renderer(list, target).render(0, list.size(), out);
    return out;
}

// Where the text literal or comment that starts at `i` ends: `i` itself when none starts there,
// -1 when it runs to the end of the text.
qsizetype skipInert(QStringView text, qsizetype i)
{
    const QStringView two = text.mid(i, 2);
    if (text[i] == QLatin1Char('\'')) {
        const qsizetype close = text.indexOf(QLatin1Char('\''), i + 1);
        return close < 0 ? -1 : close + 1; // a doubled quote reads as two literals here, which is the same
    }
    if (two == QLatin1String("/*")) {
        const qsizetype close = text.indexOf(QLatin1String("*/"), i + 2);
        return close < 0 ? -1 : close + 2;
    }
    if (two != QLatin1String("--"))
        return i;
    qsizetype end = i + 2;
    while (end < text.size() && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
        ++end;
    return end;
}

bool isTriggerWord(QStringView word, const Target& target)
{
    static const char* const words[] = {"top",  "iif",   "isnull", "dateadd", "date",   "now",
                                        "year", "month", "day",    "delete",  "update", "identity"};
    for (const char* candidate : words)
        if (word.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0)
            return true;
    for (const QString& candidate : target.triggerWords())
        if (word.compare(candidate, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Whether any rule could apply: looks for the characters and words the rules start from, outside
// literals and comments, without building tokens. Most statements the program builds in bulk
// (inserts of values) have none and skip the tokenizer altogether.
bool mayNeedTranslation(QStringView text, const Target& target)
{
    static const QString triggers = QStringLiteral("\"[#&+");
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype after = skipInert(text, i);
        if (after < 0)
            return false;
        if (after != i) {
            i = after;
            continue;
        }
        if (triggers.contains(text[i]))
            return true;
        if (!isNameStart(text[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && isNamePart(text[end]))
            ++end;
        if (isTriggerWord(text.mid(i, end - i), target))
            return true;
        i = end;
    }
    return false;
}

// Translations remembered by text, per target.
class TranslationCache {
public:
    explicit TranslationCache(const Target& target) : m_target(target) {}

    QString translated(const QString& jetStatement)
    {
        constexpr qsizetype kCacheLimit = 20000;   // built statements differ by their values
        constexpr qsizetype kLongestCached = 4096; // a few long texts must not hold on to memory
        if (!mayNeedTranslation(jetStatement, m_target))
            return jetStatement;
        {
            QMutexLocker lock(&m_mutex);
            const auto found = m_cache.constFind(jetStatement);
            if (found != m_cache.constEnd())
                return found.value();
        }
        const QString result = translate(jetStatement, m_target);
        if (jetStatement.size() > kLongestCached)
            return result;
        QMutexLocker lock(&m_mutex);
        if (m_cache.size() >= kCacheLimit)
            m_cache.clear();
        m_cache.insert(jetStatement, result);
        return result;
    }

private:
    const Target& m_target;
    QMutex m_mutex;
    QHash<QString, QString> m_cache;
};

} // namespace

namespace JetDialect {

QString toSqlite(const QString& jetStatement)
{
    static const SqliteTarget target;
    static TranslationCache cache(target);
    return cache.translated(jetStatement);
}

QString toPostgres(const QString& jetStatement)
{
    static const PostgresTarget target;
    static TranslationCache cache(target);
    return cache.translated(jetStatement);
}

} // namespace JetDialect
