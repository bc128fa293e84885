#include "tables/export/CsvExporter.h"

#include "tables/GridSnapshot.h"
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

bool CsvExporter::write(const GridSnapshot& grid, QIODevice& device)
{
    DeviceWriter out(device);
    out << "\xEF\xBB\xBF";
    auto line = [&](auto cellText) {
        for (int column = 0; column < grid.columnCount(); ++column) {
            if (column > 0)
                out << Separator;
            out << quoted(cellText(column));
        }
        out << "\r\n";
    };
    line([&](int column) { return grid.title(column); });
    for (int row = 0; row < grid.rowCount() && out.ok(); ++row)
        line([&](int column) { return grid.text(row, column); });
    return out.flush() || fail(out.errorString());
}
