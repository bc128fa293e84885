#include "tables/export/TextExporter.h"

#include "tables/print/GridSnapshot.h"
#include "tables/export/DeviceWriter.h"

namespace {
QString oneLine(QString text)
{
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}
} // namespace

bool TextExporter::write(const GridSnapshot& grid, QIODevice& device)
{
    DeviceWriter out(device);
    auto line = [&](auto cellText) {
        for (int column = 0; column < grid.columnCount(); ++column) {
            if (column > 0)
                out << '\t';
            out << oneLine(cellText(column));
        }
        out << "\r\n";
    };
    line([&](int column) { return grid.title(column); });
    for (int row = 0; row < grid.rowCount() && out.ok(); ++row)
        line([&](int column) { return grid.text(row, column); });
    return out.flush() || fail(out.errorString());
}
