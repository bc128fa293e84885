#include "tables/export/HtmlExporter.h"

#include "tables/print/GridSnapshot.h"
#include "tables/export/DeviceWriter.h"

QString HtmlExporter::escaped(const QString& text)
{
    QString html;
    html.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '<': html += QLatin1String("&lt;"); break;
        case '>': html += QLatin1String("&gt;"); break;
        case '&': html += QLatin1String("&amp;"); break;
        case '"': html += QLatin1String("&quot;"); break;
        case '\r': break;
        case '\n': html += QLatin1String("<br>"); break;
        default: html += c;
        }
    }
    return html;
}

bool HtmlExporter::write(const GridSnapshot& grid, QIODevice& device)
{
    DeviceWriter out(device);
    out << "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n</head>\n<body>\n"
           "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n<thead>\n<tr>";
    for (int column = 0; column < grid.columnCount(); ++column)
        out << "<th>" << escaped(grid.title(column)) << "</th>";
    out << "</tr>\n</thead>\n<tbody>\n";
    for (int row = 0; row < grid.rowCount() && out.ok(); ++row) {
        out << "<tr>";
        for (int column = 0; column < grid.columnCount(); ++column)
            out << "<td>" << escaped(grid.text(row, column)) << "</td>";
        out << "</tr>\n";
    }
    out << "</tbody>\n</table>\n</body>\n</html>\n";
    return out.flush() || fail(out.errorString());
}
