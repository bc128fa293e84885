// Export of the device list (100,000 rows of Pasport, the first 20 columns, all rows selected) to
// CSV and to .xlsx through the grid's save path (snapshot over the view, exporter, file written at
// once), against writing the same cells from the dataset directly in the same run: a plain loop for
// CSV, libxlsxwriter for .xlsx.
#include "BenchSupport.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/SqlConnection.h"
#include "tables/GridSnapshot.h"
#include "tables/SaveSelectedRows.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QTableView>
#include <xlsxwriter.h>

namespace {
constexpr int Columns = 20;

QByteArray csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text.toUtf8();
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

void directCsv(const Dataset& ds, const QString& fileName)
{
    QFile file(fileName);
    file.open(QIODevice::WriteOnly);
    QByteArray out("\xEF\xBB\xBF");
    for (int c = 0; c < Columns; ++c)
        out += (c ? ";" : "") + csvField(ds.fields()[size_t(c)]->label());
    out += "\r\n";
    for (int row = 0; row < ds.recordCount(); ++row) {
        for (int c = 0; c < Columns; ++c) {
            if (c)
                out += ',';
            out += csvField(ds.displayText(row, c));
        }
        out += "\r\n";
        if (out.size() > (1 << 16)) {
            file.write(out);
            out.clear();
        }
    }
    file.write(out);
}

void directXlsx(const Dataset& ds, const QString& fileName)
{
    lxw_workbook_options options{LXW_TRUE, const_cast<char*>("/tmp"), LXW_FALSE};
    lxw_workbook* book = workbook_new_opt(fileName.toUtf8().constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    for (int c = 0; c < Columns; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), ds.fields()[size_t(c)]->label().toUtf8().constData(), bold);
    for (int row = 0; row < ds.recordCount(); ++row) {
        for (int c = 0; c < Columns; ++c) {
            const QVariant value = ds.valueAt(row, c);
            const lxw_row_t r = lxw_row_t(row + 1);
            switch (value.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::Double:
                worksheet_write_number(sheet, r, lxw_col_t(c), value.toDouble(), nullptr);
                break;
            case QMetaType::QDateTime: {
                const QDateTime m = value.toDateTime();
                lxw_datetime when{m.date().year(), m.date().month(), m.date().day(), m.time().hour(),
                                  m.time().minute(), double(m.time().second())};
                worksheet_write_datetime(sheet, r, lxw_col_t(c), &when, date);
                break;
            }
            default:
                if (!value.isNull() && !value.toString().isEmpty())
                    worksheet_write_string(sheet, r, lxw_col_t(c), value.toString().toUtf8().constData(), nullptr);
            }
        }
    }
    workbook_close(book);
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString file = bench::bigPlant();
    SqlConnection connection;
    connection.setDatabaseFile(file);
    connection.open();
    Dataset ds(&connection);
    ds.setSql(QStringLiteral("select * from Pasport;"));
    ds.open();
    DatasetModel model(&ds);
    QTableView view;
    view.setModel(&model);
    for (int c = Columns; c < model.columnCount(); ++c)
        view.setColumnHidden(c, true);
    view.selectAll();
    std::printf("rows: %d, columns exported: %d\n", ds.recordCount(), Columns);

    const int runs = 3;
    const QString csv = QStringLiteral("/tmp/instrel-bench/export.csv");
    const QString xlsx = QStringLiteral("/tmp/instrel-bench/export.xlsx");
    QString error;
    const double oursCsv =
        bench::medianMs(runs, [&] { exportGridToFile(selectedRowsSnapshot(&view), csv, ExportFormat::Csv, &error); });
    const double rawCsv = bench::medianMs(runs, [&] { directCsv(ds, csv + ".raw"); });
    bench::report("export 100,000 rows to CSV", oursCsv, rawCsv, 1.5);
    const double oursXlsx = bench::medianMs(
        runs, [&] { exportGridToFile(selectedRowsSnapshot(&view), xlsx, ExportFormat::Excel, &error); });
    const double rawXlsx = bench::medianMs(runs, [&] { directXlsx(ds, xlsx + ".raw.xlsx"); });
    bench::report("export 100,000 rows to .xlsx", oursXlsx, rawXlsx, 1.5);
    if (!error.isEmpty())
        std::printf("export error: %s\n", qPrintable(error));
    return 0;
}
