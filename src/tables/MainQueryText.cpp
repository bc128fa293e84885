#include "tables/MainQueryText.h"

namespace {

// 1-based substring with a count, as the name rule is written; out-of-range parts are empty.
QString copy(const QString& s, int from, int count)
{
    if (count <= 0 || from < 1 || from > s.size())
        return {};
    return s.mid(from - 1, count);
}

// 1-based position of `what` in `s`, 0 when absent.
int pos(QChar what, const QString& s) { return int(s.indexOf(what)) + 1; }

} // namespace

MainQueryText::TableNameResult MainQueryText::tableName(const QString& statement)
{
    const QString& s = statement;
    const int p = int(s.toLower().indexOf(QLatin1String("from"))) + 1;
    const int f = p + 5;
    const int length = int(s.size());
    const QString rest = copy(s, f, length - f); // the closing ";" is not part of it
    const int blank = pos(QLatin1Char(' '), rest);
    const int cr = pos(QLatin1Char('\r'), rest);
    TableNameResult result;
    int cut = 0;
    if (blank > 0 && cr > 0)
        cut = std::min(blank, cr);
    else if (blank > 0)
        cut = blank;
    else if (cr > 0)
        cut = cr;
    else if (s.contains(QLatin1Char(';')))
        cut = length - f;
    else
        result.defined = false;
    result.name = cut < 2 ? copy(s, f, length - f) : copy(s, f, cut);
    return result;
}

QString MainQueryText::queryHead(const QString& statement)
{
    const qsizetype semicolon = statement.indexOf(QLatin1Char(';'));
    return semicolon < 0 ? statement : statement.left(semicolon);
}

QString MainQueryText::anchoredQuery(const QString& statement)
{
    return queryHead(statement) + QStringLiteral("\rWHERE\r1=1;");
}
