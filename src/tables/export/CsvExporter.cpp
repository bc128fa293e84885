#include "tables/export/CsvExporter.h"

#include "tables/print/GridSnapshot.h"
#include "tables/export/DeviceWriter.h"

QString CsvExporter::quoted(const QString& field)
{
    bool needsQuotes = false;
    for (QChar c : field) {
        if (c == QLatin1Char(Separator) || c == QLatin1Char(';') || c == QLatin1Char('"') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r')) {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes)
        return field;
    QString text = field;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

namespace {
bool needsQuotes(const QByteArray& field)
{
    for (char c : field)
        if (c == CsvExporter::Separator || c == ';' || c == '"' || c == '\n' || c == '\r')
            return true;
    return false;
}

// The same rule as quoted(), on the UTF-8 text: every character it looks at is ASCII.
void appendQuoted(DeviceWriter& out, const QByteArray& field)
{
    if (!needsQuotes(field)) {
        out << field;
        return;
    }
    QByteArray text = field;
    text.replace('"', "\"\"");
    out << '"' << text << '"';
}
} // namespace

bool CsvExporter::write(const GridSnapshot& grid, QIODevice& device)
{
    DeviceWriter out(device);
    out << "\xEF\xBB\xBF";
    for (int column = 0; column < grid.columnCount(); ++column) {
        if (column > 0)
            out << Separator;
        out << quoted(grid.title(column));
    }
    out << "\r\n";
    QByteArray cell;
    for (int row = 0; row < grid.rowCount() && out.ok(); ++row) {
        for (int column = 0; column < grid.columnCount(); ++column) {
            if (column > 0)
                out << Separator;
            cell.truncate(0);
            grid.appendText(row, column, cell);
            appendQuoted(out, cell);
        }
        out << "\r\n";
    }
    return out.flush() || fail(out.errorString());
}
