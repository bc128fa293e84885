#include "tables/export/RtfExporter.h"

#include "tables/print/GridSnapshot.h"
#include "tables/export/DeviceWriter.h"

#include <algorithm>

namespace {
constexpr int PageWidthTwips = 10000; // A4 minus usual margins
constexpr int MinColumnTwips = 600;

QByteArray rowDefinition(int columns)
{
    const int width = std::max(MinColumnTwips, PageWidthTwips / std::max(columns, 1));
    QByteArray row = "\\trowd\\trgaph60\\trleft0";
    for (int column = 1; column <= columns; ++column)
        row += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"
               "\\cellx" +
               QByteArray::number(column * width);
    return row + '\n';
}
} // namespace

QByteArray RtfExporter::escaped(const QString& text)
{
    QByteArray rtf;
    rtf.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            rtf += '\\';
            rtf += char(u);
        } else if (u == '\n') {
            rtf += "\\line ";
        } else if (u == '\t') {
            rtf += "\\tab ";
        } else if (u == '\r') {
            continue;
        } else if (u < 0x80) {
            rtf += char(u);
        } else {
            rtf += "\\u" + QByteArray::number(int(qint16(u))) + '?';
        }
    }
    return rtf;
}

bool RtfExporter::write(const GridSnapshot& grid, QIODevice& device)
{
    DeviceWriter out(device);
    const QByteArray definition = rowDefinition(grid.columnCount());
    out << "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}\n\\f0\\fs18\n";
    out << definition;
    for (int column = 0; column < grid.columnCount(); ++column)
        out << "\\pard\\intbl{\\b " << escaped(grid.title(column)) << "}\\cell\n";
    out << "\\row\n";
    for (int row = 0; row < grid.rowCount() && out.ok(); ++row) {
        out << definition;
        for (int column = 0; column < grid.columnCount(); ++column)
            out << "\\pard\\intbl{" << escaped(grid.text(row, column)) << "}\\cell\n";
        out << "\\row\n";
    }
    out << "\\pard\\par\n}\n";
    return out.flush() || fail(out.errorString());
}
