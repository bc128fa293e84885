#include "tables/FilterRowQuery.h"

#include "tables/DateRangeExpression.h"

#include "data/SqlValue.h"
#include "text/StrList.h"

#include <QDate>
#include <QRegularExpression>
#include <cmath>
#include <optional>

namespace {

struct Term {
    QString op; // "=", "<>", ">=", "<=", ">", "<", "Like", "Not Like", "IN"; empty: by the value
    QStringList values;
    bool quoted = false;
};

class Parser {
public:
    explicit Parser(const QString& text) : m_text(text) {}

    // Terms and the connectors between them; std::nullopt with m_error set on bad input.
    bool run(QList<Term>& terms, QStringList& connectors)
    {
        while (true) {
            skipSpaces();
            Term term;
            term.op = readOperator();
            skipSpaces();
            if (term.op == QLatin1String("IN")) {
                if (!readList(term))
                    return false;
            } else {
                std::optional<QString> value = readValue(term.quoted);
                if (!value)
                    return false;
                term.values.append(*value);
            }
            terms.append(term);
            skipSpaces();
            if (atEnd())
                return true;
            const QString word = readWord().toLower();
            if (word != QLatin1String("and") && word != QLatin1String("or")) {
                m_error = FormatText(Str::FilterUnexpectedText, m_text.mid(m_pos));
                return false;
            }
            connectors.append(word.toUpper());
        }
    }

    const QString& error() const { return m_error; }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    void skipSpaces()
    {
        while (!atEnd() && m_text[m_pos].isSpace())
            ++m_pos;
    }
    bool startsWithWord(const QString& word) const
    {
        if (m_text.mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype after = m_pos + word.size();
        return after >= m_text.size() || m_text[after].isSpace() || m_text[after] == QLatin1Char('(') ||
               m_text[after] == QLatin1Char('\'');
    }
    QString readWord()
    {
        const qsizetype start = m_pos;
        while (!atEnd() && !m_text[m_pos].isSpace())
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }
    QString readOperator()
    {
        for (const char* op : {"<>", ">=", "<=", "=", ">", "<"})
            if (m_text.mid(m_pos).startsWith(QLatin1String(op))) {
                m_pos += qsizetype(strlen(op));
                return QString::fromLatin1(op);
            }
        if (startsWithWord(QStringLiteral("not"))) {
            const qsizetype save = m_pos;
            m_pos += 3;
            skipSpaces();
            if (startsWithWord(QStringLiteral("like"))) {
                m_pos += 4;
                return QStringLiteral("Not Like");
            }
            m_pos = save;
        }
        if (startsWithWord(QStringLiteral("like"))) {
            m_pos += 4;
            return QStringLiteral("Like");
        }
        if (startsWithWord(QStringLiteral("in"))) {
            m_pos += 2;
            return QStringLiteral("IN");
        }
        return {};
    }
    std::optional<QString> readQuoted()
    {
        QString value;
        ++m_pos; // opening quote
        while (!atEnd()) {
            const QChar c = m_text[m_pos++];
            if (c != QLatin1Char('\'')) {
                value += c;
                continue;
            }
            if (!atEnd() && m_text[m_pos] == QLatin1Char('\'')) {
                value += c;
                ++m_pos;
                continue;
            }
            return value;
        }
        m_error = Text(Str::FilterOpenQuote);
        return std::nullopt;
    }
    // A bare value runs to the next " and " / " or " or to the end.
    std::optional<QString> readValue(bool& quoted)
    {
        if (!atEnd() && m_text[m_pos] == QLatin1Char('\'')) {
            quoted = true;
            return readQuoted();
        }
        static const QRegularExpression connector(QStringLiteral("\\s+(and|or)\\s"),
                                                  QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = connector.match(m_text, m_pos);
        const qsizetype end = match.hasMatch() ? match.capturedStart() : m_text.size();
        const QString value = m_text.mid(m_pos, end - m_pos).trimmed();
        m_pos = end;
        if (value.isEmpty()) {
            m_error = Text(Str::FilterNoValue);
            return std::nullopt;
        }
        return value;
    }
    bool readList(Term& term)
    {
        if (atEnd() || m_text[m_pos] != QLatin1Char('(')) {
            m_error = Text(Str::FilterInNeedsList);
            return false;
        }
        ++m_pos;
        while (true) {
            skipSpaces();
            QString value;
            if (!atEnd() && m_text[m_pos] == QLatin1Char('\'')) {
                std::optional<QString> quoted = readQuoted();
                if (!quoted)
                    return false;
                value = *quoted;
                term.quoted = true;
            } else {
                const qsizetype start = m_pos;
                while (!atEnd() && m_text[m_pos] != QLatin1Char(',') && m_text[m_pos] != QLatin1Char(')'))
                    ++m_pos;
                value = m_text.mid(start, m_pos - start).trimmed();
            }
            term.values.append(value);
            skipSpaces();
            if (atEnd()) {
                m_error = Text(Str::FilterOpenBracket);
                return false;
            }
            if (m_text[m_pos++] == QLatin1Char(')'))
                return true;
        }
    }

    QString m_text;
    qsizetype m_pos = 0;
    QString m_error;
};

QDate parseDate(const QString& text)
{
    static const QRegularExpression dmy(QStringLiteral("^(\\d{1,2})[./-](\\d{1,2})[./-](\\d{2}|\\d{4})$"));
    const QRegularExpressionMatch m = dmy.match(text.trimmed());
    if (m.hasMatch()) {
        const int year = m.captured(3).size() == 2 ? DateRangeExpression::fullYear(m.captured(3).toInt()) : m.captured(3).toInt();
        return QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
    }
    return SqlValue::parseDateTime(text.trimmed()).date();
}

std::optional<QString> literal(FilterRowQuery::ColumnKind kind, const QString& value, bool asText, QString& error)
{
    if (asText || kind == FilterRowQuery::ColumnKind::Text)
        return SqlValue::quoted(value);
    if (kind == FilterRowQuery::ColumnKind::Number) {
        bool ok = false;
        const double number = QString(value).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        // "inf" and "nan" read as doubles, but no column holds them: written into the statement they
        // would become NULL and silently find nothing.
        if (!ok || !std::isfinite(number)) {
            error = FormatText(Str::FilterNotNumber, value);
            return std::nullopt;
        }
        return SqlValue::number(number);
    }
    const QDate date = parseDate(value);
    if (!date.isValid()) {
        error = FormatText(Str::FilterNotDate, value);
        return std::nullopt;
    }
    return QStringLiteral("#") + date.toString(QStringLiteral("MM/dd/yyyy")) + QStringLiteral("#");
}

QString dateLiteral(const QDate& day) { return QStringLiteral("#") + day.toString(QStringLiteral("MM/dd/yyyy")) + QStringLiteral("#"); }

// The last day dates can be written for: it has no next midnight to compare with.
QDate lastDay() { return QDate(9999, 12, 31); }

// The whole of the last day, bounded by its last second (stored dates carry no fractions).
QString lastDayComparison(const QString& target, const QString& op, const QString& start)
{
    const QString end = QStringLiteral("#12/31/9999 23:59:59#");
    if (op == QLatin1String("="))
        return QStringLiteral("(%1 >= %2 AND %1 <= %3)").arg(target, start, end);
    if (op == QLatin1String("<>"))
        return QStringLiteral("(%1 < %2 OR %1 > %3)").arg(target, start, end);
    if (op == QLatin1String("<"))
        return target + QStringLiteral(" < ") + start;
    if (op == QLatin1String("<="))
        return target + QStringLiteral(" <= ") + end;
    if (op == QLatin1String(">"))
        return target + QStringLiteral(" > ") + end;
    return target + QStringLiteral(" >= ") + start; // ">="
}

// A date typed by the user means the whole day, while the column holds moments: "= 05.03.2024"
// must also find a device set at 14:05 that day. So each comparison is made against the day's
// midnight or the next one.
std::optional<QString> dayComparison(const QString& target, const Term& term, QString& error)
{
    const QDate day = parseDate(term.values[0]);
    if (!day.isValid()) {
        error = FormatText(Str::FilterNotDate, term.values[0]);
        return std::nullopt;
    }
    const QString start = dateLiteral(day);
    const QString& op = term.op;
    if (day == lastDay())
        return lastDayComparison(target, op, start);
    const QString next = dateLiteral(day.addDays(1));
    if (op == QLatin1String("="))
        return QStringLiteral("(%1 >= %2 AND %1 < %3)").arg(target, start, next);
    if (op == QLatin1String("<>"))
        return QStringLiteral("(%1 < %2 OR %1 >= %3)").arg(target, start, next);
    if (op == QLatin1String("<"))
        return target + QStringLiteral(" < ") + start;
    if (op == QLatin1String("<="))
        return target + QStringLiteral(" < ") + next;
    if (op == QLatin1String(">"))
        return target + QStringLiteral(" >= ") + next;
    return target + QStringLiteral(" >= ") + start; // ">="
}

bool isNullWord(const Term& term)
{
    return !term.quoted && term.values.size() == 1 && term.values[0].compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0;
}

std::optional<QString> termSql(const QString& column, FilterRowQuery::ColumnKind kind, Term term, QString& error)
{
    const QString target = QStringLiteral("[") + column + QStringLiteral("]");
    if (isNullWord(term) && (term.op.isEmpty() || term.op == QLatin1String("=") || term.op == QLatin1String("<>")))
        return target + (term.op == QLatin1String("<>") ? QStringLiteral(" Is Not Null") : QStringLiteral(" Is Null"));
    if (term.op.isEmpty()) {
        const QString& v = term.values[0];
        term.op = v.contains(QLatin1Char('%')) || v.contains(QLatin1Char('*')) ? QStringLiteral("Like")
                                                                                : QStringLiteral("=");
    }
    const bool like = term.op.endsWith(QLatin1String("Like"));
    if (kind == FilterRowQuery::ColumnKind::Date && !like && term.op != QLatin1String("IN"))
        return dayComparison(target, term, error);
    QStringList literals;
    for (QString value : term.values) {
        if (like)
            value.replace(QLatin1Char('*'), QLatin1Char('%'));
        std::optional<QString> lit = literal(kind, value, like, error);
        if (!lit)
            return std::nullopt;
        literals.append(*lit);
    }
    // Texts compare without regard to letter case, Cyrillic included, as users expect of a filter.
    const QString collate = kind == FilterRowQuery::ColumnKind::Text && !like ? QStringLiteral(" COLLATE UNICODE_NOCASE")
                                                                               : QString();
    if (term.op == QLatin1String("IN"))
        return target + collate + QStringLiteral(" IN (") + literals.join(QStringLiteral(", ")) + QStringLiteral(")");
    return target + QLatin1Char(' ') + term.op + QLatin1Char(' ') + literals[0] + collate;
}

} // namespace

FilterRowQuery::Parsed FilterRowQuery::parse(const QString& column, ColumnKind kind, const QString& typed)
{
    Parsed result;
    if (typed.trimmed().isEmpty())
        return result;
    // The engine reads a statement only up to a null character.
    if (typed.contains(QChar(0))) {
        result.error = Text(Str::FilterNulCharacter);
        return result;
    }
    Parser parser(typed.trimmed());
    QList<Term> terms;
    QStringList connectors;
    if (!parser.run(terms, connectors)) {
        result.error = parser.error();
        return result;
    }
    QString condition;
    for (int i = 0; i < terms.size(); ++i) {
        std::optional<QString> sql = termSql(column, kind, terms[i], result.error);
        if (!sql)
            return result;
        if (i > 0)
            condition += QLatin1Char(' ') + connectors[i - 1] + QLatin1Char(' ');
        condition += *sql;
    }
    // Several terms of one column stay together when the columns are joined with AND.
    result.condition = terms.size() > 1 ? QStringLiteral("(") + condition + QStringLiteral(")") : condition;
    return result;
}

QString FilterRowQuery::valueCondition(const QString& column, const QVariant& value)
{
    const QString target = QStringLiteral("[") + column + QStringLiteral("]");
    if (!value.isValid() || value.isNull())
        return target + QStringLiteral(" Is Null");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return target + QStringLiteral(" = ") + QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return target + QStringLiteral(" = ") + SqlValue::number(value.toDouble());
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        const QDateTime moment = value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
        return target + QStringLiteral(" = #") + moment.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss")) +
               QStringLiteral("#");
    }
    default:
        return target + QStringLiteral(" = ") + SqlValue::quoted(value.toString()) +
               QStringLiteral(" COLLATE UNICODE_NOCASE");
    }
}

namespace {
const QRegularExpression& lineBreak()
{
    static const QRegularExpression re(QStringLiteral("\r\n|\r|\n"));
    return re;
}
} // namespace

bool FilterRowQuery::hasAnchor(const QString& statement)
{
    for (const QString& line : statement.split(lineBreak()))
        if (line.startsWith(QLatin1String("1=1"), Qt::CaseInsensitive))
            return true;
    return false;
}

QString FilterRowQuery::anchorConditions(const QString& statement)
{
    for (const QString& line : statement.split(lineBreak())) {
        if (!line.startsWith(QLatin1String("1=1"), Qt::CaseInsensitive))
            continue;
        QString rest = line.mid(3);
        if (rest.endsWith(QLatin1Char(';')))
            rest.chop(1); // the bare anchor "1=1;"; a condition itself never ends on a ";"
        rest = rest.trimmed();
        if (rest.startsWith(QLatin1String("and "), Qt::CaseInsensitive))
            rest = rest.mid(4).trimmed();
        return rest;
    }
    return {};
}

QString FilterRowQuery::rebuild(const QString& statement, const QStringList& conditions)
{
    QString result;
    qsizetype start = 0;
    while (start <= statement.size()) {
        const QRegularExpressionMatch br = lineBreak().match(statement, start);
        const qsizetype end = br.hasMatch() ? br.capturedStart() : statement.size();
        const QString line = statement.mid(start, end - start);
        if (line.startsWith(QLatin1String("1=1"), Qt::CaseInsensitive)) {
            if (conditions.isEmpty())
                return result + QStringLiteral("1=1");
            return result + QStringLiteral("1=1 and ") + conditions.join(QStringLiteral(" AND "));
        }
        if (!br.hasMatch())
            break;
        result += line + br.captured();
        start = br.capturedEnd();
    }
    return statement;
}

FilterRowQuery::Parsed FilterRowQuery::setCell(int column, const QString& columnName, ColumnKind kind,
                                               const QString& typed)
{
    Parsed parsed = parse(columnName, kind, typed);
    if (!parsed.ok())
        return parsed;
    if (parsed.condition.isEmpty())
        m_conditions.erase(column);
    else
        m_conditions[column] = parsed.condition;
    return parsed;
}

void FilterRowQuery::setCellValue(int column, const QString& columnName, const QVariant& value)
{
    m_conditions[column] = valueCondition(columnName, value);
}

QStringList FilterRowQuery::conditions() const
{
    QStringList list;
    for (const auto& [column, condition] : m_conditions)
        list.append(condition);
    return list;
}

QString FilterRowQuery::valueListStatement(const QString& column, const QString& table)
{
    return QStringLiteral("select ") + column + QStringLiteral(" from ") + table + QStringLiteral(" where ") + column +
           QStringLiteral(" is not null") + QStringLiteral(" group by ") + column + QStringLiteral(";");
}
