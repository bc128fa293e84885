#include "tables/export/XlsxExporter.h"

#include "tables/print/GridSnapshot.h"
#include "text/StrList.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <xlsxwriter.h>

namespace {
struct Formats {
    lxw_format* title;
    lxw_format* date;
    lxw_format* moment;
};

Formats addFormats(lxw_workbook* book)
{
    Formats formats{workbook_add_format(book), workbook_add_format(book), workbook_add_format(book)};
    format_set_bold(formats.title);
    format_set_num_format(formats.date, "dd.mm.yyyy");
    format_set_num_format(formats.moment, "dd.mm.yyyy hh:mm:ss");
    return formats;
}

lxw_error writeCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, SheetCell& cell, const Formats& formats)
{
    switch (cell.kind) {
    case GridCell::Kind::Number:
        return worksheet_write_number(sheet, row, column, cell.number, nullptr);
    case GridCell::Kind::Date: {
        const int* m = cell.moment;
        lxw_datetime when{m[0], m[1], m[2], m[3], m[4], double(m[5])};
        const bool midnight = m[3] == 0 && m[4] == 0 && m[5] == 0;
        return worksheet_write_datetime(sheet, row, column, &when, midnight ? formats.date : formats.moment);
    }
    case GridCell::Kind::Text:
        break;
    }
    if (cell.text.isEmpty())
        return LXW_NO_ERROR;
    if (cell.text.size() > XlsxExporter::MaxTextLength) // bytes; the sheet's limit counts characters
        cell.text = QString::fromUtf8(cell.text).left(XlsxExporter::MaxTextLength).toUtf8();
    return worksheet_write_string(sheet, row, column, cell.text.constData(), nullptr);
}
} // namespace

bool XlsxExporter::write(const GridSnapshot& grid, QIODevice& device)
{
    if (grid.rowCount() + 1 > MaxRows)
        return fail(FormatText(Str::ExportTooManyRows, MaxRows - 1));
    QTemporaryDir dir;
    if (!dir.isValid())
        return fail(dir.errorString());
    const QString fileName = dir.filePath(QStringLiteral("grid.xlsx"));
    return writeWorkbook(grid, fileName) && copyInto(fileName, device);
}

bool XlsxExporter::writeWorkbook(const GridSnapshot& grid, const QString& fileName)
{
    const QByteArray tmpdir = QFile::encodeName(fileName.section(QLatin1Char('/'), 0, -2));
    lxw_workbook_options options{LXW_TRUE, const_cast<char*>(tmpdir.constData()), LXW_FALSE};
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(fileName).constData(), &options);
    if (!book)
        return fail(FormatText(Str::ExportCannotCreate, fileName));
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    const Formats formats = addFormats(book);
    lxw_error error = LXW_NO_ERROR;
    for (int column = 0; column < grid.columnCount(); ++column) {
        const double width = std::clamp(double(grid.title(column).size()) + 2.0, 10.0, 50.0);
        worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr);
        const QByteArray title = grid.title(column).left(MaxTextLength).toUtf8();
        if (!title.isEmpty())
            error = worksheet_write_string(sheet, 0, lxw_col_t(column), title.constData(), formats.title);
    }
    SheetCell cell;
    for (int row = 0; row < grid.rowCount() && error == LXW_NO_ERROR; ++row)
        for (int column = 0; column < grid.columnCount() && error == LXW_NO_ERROR; ++column) {
            grid.readSheetCell(row, column, cell);
            error = writeCell(sheet, lxw_row_t(row + 1), lxw_col_t(column), cell, formats);
        }
    const lxw_error closed = workbook_close(book); // frees the workbook in every case
    if (error == LXW_NO_ERROR)
        error = closed;
    return error == LXW_NO_ERROR || fail(FormatText(Str::ExportWorkbookError, QString::fromUtf8(lxw_strerror(error))));
}

bool XlsxExporter::copyInto(const QString& fileName, QIODevice& device)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 16);
        if (chunk.isEmpty() && file.error() != QFileDevice::NoError)
            return fail(file.errorString());
        if (device.write(chunk) != chunk.size())
            return fail(device.errorString());
    }
    return true;
}
