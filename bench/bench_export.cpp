// Export of the device list (Pasport, 100,000 rows, the first 20 columns, every row selected) to CSV
// and to .xlsx the way the user does it: the list opened as the table window opens it, then "Save
// Selected As" (snapshot over the grid, exporter, file written at once). The floor: SQLite's C API
// reading the same statement on the same file in the same run (every column of every row) and
// writing the same 20 columns, as CSV with a plain loop, as .xlsx with libxlsxwriter.
#include "BenchSupport.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/SqlConnection.h"
#include "tables/print/GridSnapshot.h"
#include "tables/MainQueryText.h"
#include "tables/SaveSelectedRows.h"

#include <QApplication>
#include <QTableView>
#include <cstring>
#include <memory>
#include <xlsxwriter.h>

namespace {
constexpr int Columns = 20;

// The device list as the window shows it: every column but the first 20 hidden, all rows selected.
struct OpenList {
    Dataset ds;
    DatasetModel model;
    QTableView view;

    OpenList(SqlConnection& connection, const QString& statement) : ds(&connection), model(&ds)
    {
        ds.setSql(statement);
        ds.open();
        view.setModel(&model);
        for (int c = Columns; c < model.columnCount(); ++c)
            view.setColumnHidden(c, true);
        view.selectAll();
    }
};

void exportList(SqlConnection& connection, const QString& statement, const QString& fileName, ExportFormat format)
{
    OpenList list(connection, statement);
    QString error;
    if (!exportGridToFile(selectedRowsSnapshot(&list.view), fileName, format, &error))
        bench::fail(QStringLiteral("export to %1 failed: %2").arg(fileName, error));
}

void appendCsvField(QByteArray& out, const char* text, int bytes)
{
    bool quote = false;
    for (int i = 0; i < bytes && !quote; ++i)
        quote = text[i] == ',' || text[i] == ';' || text[i] == '"' || text[i] == '\n' || text[i] == '\r';
    if (!quote) {
        out.append(text, bytes);
        return;
    }
    out += '"';
    for (int i = 0; i < bytes; ++i) {
        if (text[i] == '"')
            out += '"';
        out += text[i];
    }
    out += '"';
}

void rawCsv(const bench::RawDatabase& raw, const QByteArray& sql, const QString& fileName)
{
    QFile file(fileName);
    bench::require(file.open(QIODevice::WriteOnly), QStringLiteral("raw side cannot write ") + fileName);
    sqlite3_stmt* stmt = raw.prepare(sql);
    const int columns = sqlite3_column_count(stmt);
    QByteArray out("\xEF\xBB\xBF");
    for (int c = 0; c < Columns; ++c) {
        if (c)
            out += ',';
        const char* name = sqlite3_column_name(stmt, c);
        appendCsvField(out, name, int(std::strlen(name)));
    }
    out += "\r\n";
    quint64 checksum = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < Columns; ++c) {
            if (c)
                out += ',';
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            appendCsvField(out, text ? text : "", sqlite3_column_bytes(stmt, c));
        }
        for (int c = Columns; c < columns; ++c)
            checksum += bench::RawDatabase::readCell(stmt, c);
        out += "\r\n";
        if (out.size() > (1 << 16)) {
            file.write(out);
            out.clear();
        }
    }
    sqlite3_finalize(stmt);
    file.write(out);
    if (checksum == 1) // keeps the reads of the columns not written
        std::printf(" ");
}

bool isDateColumn(sqlite3_stmt* stmt, int c)
{
    const char* declared = sqlite3_column_decltype(stmt, c);
    return declared && (std::strstr(declared, "date") || std::strstr(declared, "DATE"));
}

void rawXlsx(const bench::RawDatabase& raw, const QByteArray& sql, const QString& fileName, const QString& tmpdir)
{
    const QByteArray tmp = QFile::encodeName(tmpdir);
    lxw_workbook_options options{LXW_TRUE, const_cast<char*>(tmp.constData()), LXW_FALSE};
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(fileName).constData(), &options);
    bench::require(book, QStringLiteral("raw side cannot create ") + fileName);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    sqlite3_stmt* stmt = raw.prepare(sql);
    const int columns = sqlite3_column_count(stmt);
    bool dates[Columns];
    for (int c = 0; c < Columns; ++c) {
        worksheet_write_string(sheet, 0, lxw_col_t(c), sqlite3_column_name(stmt, c), bold);
        dates[c] = isDateColumn(stmt, c);
    }
    quint64 checksum = 0;
    lxw_row_t row = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++row;
        for (int c = 0; c < Columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
            case SQLITE_FLOAT:
                worksheet_write_number(sheet, row, lxw_col_t(c), sqlite3_column_double(stmt, c), nullptr);
                break;
            case SQLITE_TEXT: {
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                lxw_datetime when{};
                if (dates[c] &&
                    std::sscanf(text, "%d-%d-%d %d:%d", &when.year, &when.month, &when.day, &when.hour, &when.min) >= 3)
                    worksheet_write_datetime(sheet, row, lxw_col_t(c), &when, date);
                else if (*text)
                    worksheet_write_string(sheet, row, lxw_col_t(c), text, nullptr);
                break;
            }
            default:
                break;
            }
        }
        for (int c = Columns; c < columns; ++c)
            checksum += bench::RawDatabase::readCell(stmt, c);
    }
    sqlite3_finalize(stmt);
    bench::require(workbook_close(book) == LXW_NO_ERROR, QStringLiteral("raw side could not close ") + fileName);
    if (checksum == 1)
        std::printf(" ");
}

qint64 lineCount(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().count("\r\n");
}

qint64 fileSize(const QString& fileName)
{
    return QFileInfo(fileName).size();
}

} // namespace

void measure()
{
    const QString file = bench::bigPlant();
    const bench::WorkFolder folder;
    SqlConnection connection;
    connection.setDatabaseFile(file);
    connection.open();
    const bench::RawDatabase raw(file);
    const QString statement = MainQueryText::anchoredQuery(QStringLiteral("select * from Pasport;"));
    const QByteArray sent = connection.translate(statement).toUtf8();
    const qint64 rows = raw.fetch(sent).rows;
    bench::require(rows >= 100000, QStringLiteral("the device list has %1 rows, 100,000 expected").arg(rows));
    std::printf("rows: %lld, columns exported: %d\n", rows, Columns);

    const int runs = 7;
    const QString csv = folder.file(QStringLiteral("export.csv"));
    const QString rawCsvFile = folder.file(QStringLiteral("raw.csv"));
    const bench::Timing csvTime = bench::compare(
        runs, [&] { exportList(connection, statement, csv, ExportFormat::Csv); },
        [&] { rawCsv(raw, sent, rawCsvFile); });
    bench::require(lineCount(csv) == rows + 1 && lineCount(rawCsvFile) == rows + 1,
                   QStringLiteral("CSV files with %1 and %2 lines, %3 expected")
                       .arg(lineCount(csv))
                       .arg(lineCount(rawCsvFile))
                       .arg(rows + 1));
    bench::report("open and export 100,000 rows to CSV", csvTime, 1.5);

    const QString xlsx = folder.file(QStringLiteral("export.xlsx"));
    const QString rawXlsxFile = folder.file(QStringLiteral("raw.xlsx"));
    const bench::Timing xlsxTime = bench::compare(
        3, [&] { exportList(connection, statement, xlsx, ExportFormat::Excel); },
        [&] { rawXlsx(raw, sent, rawXlsxFile, folder.file(QString())); });
    bench::require(fileSize(xlsx) > 1000000 && fileSize(rawXlsxFile) > 1000000,
                   QStringLiteral("workbooks of %1 and %2 bytes").arg(fileSize(xlsx)).arg(fileSize(rawXlsxFile)));
    bench::report("open and export 100,000 rows to .xlsx", xlsxTime, 1.5);

    // For the record: the export alone, from the list already open in its window.
    OpenList open(connection, statement);
    const double exportOnly = bench::medianMs(runs, [&] {
        QString error;
        bench::require(exportGridToFile(selectedRowsSnapshot(&open.view), csv, ExportFormat::Csv, &error), error);
    });
    std::printf("CSV export from the open list alone: %.1f ms\n", exportOnly);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench::run(measure);
}
