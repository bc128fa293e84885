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
// What differs per engine is gathered in `Target`; SQLite is the one target today.

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
    virtual QString limit(const QString& count) const = 0;
    virtual QString identityColumn() const = 0;
    virtual QString concat() const = 0;
    // Today at midnight, moved by `days` (may be empty).
    virtual QString today(const QString& days) const = 0;
    virtual QString now(const QString& days) const = 0;
    virtual QString datePart(const QString& unit, const QString& value) const = 0;
    virtual QString addMonths(const QString& months, const QString& value) const = 0;
    virtual QString addSeconds(const QString& seconds, const QString& value) const = 0;
    // `expression` built over names that stand for `date` and `count`, each evaluated once.
    virtual QString computedOnce(const QString& date, const QString& count,
                                 const std::function<QString(const QString&, const QString&)>& expression) const = 0;
};

struct SqliteTarget final : Target {
    QString dateLiteral(const QDateTime& moment) const override
    {
        return SqlValue::quoted(SqlValue::dateTimeText(moment));
    }
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
    // "%Y" / "%m" / "%d" as an integer, like Jet's Year/Month/Day.
    QString datePart(const QString& unit, const QString& value) const override
    {
        return QStringLiteral("CAST(strftime('%1', %2) AS INTEGER)").arg(unit, value);
    }
    // Keeps the day of the month, lowered to the last day of the target month (31 January + 1 month
    // is 28/29 February), and keeps the time: SQLite's own '+N months' would overflow into March.
    QString addMonths(const QString& months, const QString& value) const override
    {
        const QString day = datePart(QStringLiteral("%d"), value);
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
        if (parts.size() == 1)
            return push(Kind::Bracket, close + 1);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i > 0)
                m_tokens.push_back({Kind::Symbol, QStringLiteral(".")});
            m_tokens.push_back({Kind::Bracket, QLatin1Char('[') + parts[i] + QLatin1Char(']')});
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
            return QStringLiteral("CASE WHEN %1 THEN %2 ELSE %3 END").arg(args[0], args[1], args[2]);
        if (name == QLatin1String("isnull") && args.size() == 1)
            return QStringLiteral("(%1 IS NULL)").arg(args[0]);
        if (args.size() == 1 &&
            (name == QLatin1String("year") || name == QLatin1String("month") || name == QLatin1String("day")))
            return m_target.datePart(name == QLatin1String("year")    ? QStringLiteral("%Y")
                                     : name == QLatin1String("month") ? QStringLiteral("%m")
                                                                      : QStringLiteral("%d"),
                                     args[0]);
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
        const QString count = QStringLiteral("CAST(%1 AS INTEGER)").arg(args[1]);
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
    TokenList list(Tokenizer(statement, target).run());
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

bool isTriggerWord(QStringView word)
{
    static const char* const words[] = {"top",  "iif",   "isnull", "dateadd", "date",   "now",
                                        "year", "month", "day",    "delete",  "update", "identity"};
    for (const char* candidate : words)
        if (word.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Whether any rule could apply: looks for the characters and words the rules start from, outside
// literals and comments, without building tokens. Most statements the program builds in bulk
// (inserts of values) have none and skip the tokenizer altogether.
bool mayNeedTranslation(QStringView text)
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
        if (isTriggerWord(text.mid(i, end - i)))
            return true;
        i = end;
    }
    return false;
}

} // namespace

namespace JetDialect {

QString toSqlite(const QString& jetStatement)
{
    static const SqliteTarget target;
    static QMutex mutex;
    static QHash<QString, QString> cache;
    constexpr qsizetype kCacheLimit = 20000; // built statements differ by their values
    constexpr qsizetype kLongestCached = 4096; // a few long texts must not hold on to memory

    if (!mayNeedTranslation(jetStatement))
        return jetStatement;
    {
        QMutexLocker lock(&mutex);
        const auto found = cache.constFind(jetStatement);
        if (found != cache.constEnd())
            return found.value();
    }
    const QString sqlite = translate(jetStatement, target);
    if (jetStatement.size() > kLongestCached)
        return sqlite;
    QMutexLocker lock(&mutex);
    if (cache.size() >= kCacheLimit)
        cache.clear();
    cache.insert(jetStatement, sqlite);
    return sqlite;
}

} // namespace JetDialect
