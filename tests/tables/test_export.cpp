#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "data/SqlConnection.h"
#include "support/MessageRecorder.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "tables/FileDialogs.h"
#include "tables/print/GridSnapshot.h"
#include "tables/SaveSelectedRows.h"
#include "tables/export/CsvExporter.h"
#include "tables/export/ExportFileName.h"
#include "tables/export/HtmlExporter.h"
#include "tables/export/RtfExporter.h"
#include "tables/export/TextExporter.h"
#include "tables/export/XlsxExporter.h"
#include "text/StrList.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

GridCell text(const QString& t) { return {t, t, GridCell::Kind::Text}; }
GridCell number(double v, const QString& shown) { return {shown, v, GridCell::Kind::Number}; }
GridCell date(const QDateTime& d, const QString& shown) { return {shown, d, GridCell::Kind::Date}; }

// Texts that break naive writers: separators, quotes, line breaks, markup, RTF control characters.
GridSnapshot awkwardGrid()
{
    return GridSnapshot({QStringLiteral("Тип"), QStringLiteral("Номер; \"зав.\""), QStringLiteral("Цена"),
                         QStringLiteral("Дата")},
                        {{text(QStringLiteral("Манометр")), text(QStringLiteral("O'Neil; --")), number(2.15, "2,15"),
                          date(QDateTime(QDate(2004, 3, 5), QTime(0, 0)), "05.03.2004")},
                         {text(QStringLiteral("a \"b\", c")), text(QStringLiteral("line1\nline2")), number(10, "10"),
                          date(QDateTime(QDate(2025, 1, 31), QTime(14, 5)), "31.01.2025 14:05:00")},
                         {text(QStringLiteral("<b>&{x}\\y")), text(QString()), {QString(), {}, GridCell::Kind::Text},
                          {QString(), {}, GridCell::Kind::Text}}});
}

QByteArray exported(GridExporter& exporter, const GridSnapshot& grid)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(exporter.write(grid, buffer)) << exporter.errorString().toStdString();
    return buffer.data();
}

// A reader after RFC 4180, independent of the writer.
QList<QStringList> parseCsv(const QString& text, QChar separator)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            row << field;
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(row.isEmpty() && field.isEmpty()) << "the last row must end with CR LF";
    return rows;
}

TEST(CsvExporter, QuotesOnlyWhatNeedsQuotes)
{
    const struct {
        QString field, written;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a;b", "\"a;b\""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rhere", "\"cr\rhere\""},
        {QStringLiteral("Манометр ДМ"), QStringLiteral("Манометр ДМ")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvExporter::quoted(c.field), c.written) << c.field.toStdString();
}

TEST(CsvExporter, ReadsBackWithBomCommasQuotesAndLineBreaks)
{
    CsvExporter exporter;
    const QByteArray bytes = exported(exporter, awkwardGrid());
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> rows = parseCsv(QString::fromUtf8(bytes.mid(3)), ',');
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], QStringList({"Тип", "Номер; \"зав.\"", "Цена", "Дата"}));
    EXPECT_EQ(rows[1], QStringList({"Манометр", "O'Neil; --", "2,15", "05.03.2004"}));
    EXPECT_EQ(rows[2], QStringList({"a \"b\", c", "line1\nline2", "10", "31.01.2025 14:05:00"}));
    EXPECT_EQ(rows[3], QStringList({"<b>&{x}\\y", "", "", ""}));
}

TEST(TextExporter, OneTabSeparatedLinePerRow)
{
    TextExporter exporter;
    const QString text = QString::fromUtf8(exported(exporter, awkwardGrid()));
    const QStringList lines = text.split("\r\n");
    ASSERT_EQ(lines.size(), 5); // four rows and the empty rest after the last CR LF
    EXPECT_EQ(lines[0], "Тип\tНомер; \"зав.\"\tЦена\tДата");
    EXPECT_EQ(lines[1], "Манометр\tO'Neil; --\t2,15\t05.03.2004");
    EXPECT_EQ(lines[2], "a \"b\", c\tline1 line2\t10\t31.01.2025 14:05:00"); // the line break became a blank
    EXPECT_EQ(lines[3], "<b>&{x}\\y\t\t\t");
    EXPECT_TRUE(lines[4].isEmpty());
}

TEST(HtmlExporter, EscapesMarkupAndKeepsCyrillic)
{
    HtmlExporter exporter;
    const QString html = QString::fromUtf8(exported(exporter, awkwardGrid()));
    EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">"));
    EXPECT_TRUE(html.contains("<th>Номер; &quot;зав.&quot;</th>"));
    EXPECT_TRUE(html.contains("<td>Манометр</td>"));
    EXPECT_TRUE(html.contains("<td>&lt;b&gt;&amp;{x}\\y</td>"));
    EXPECT_TRUE(html.contains("<td>line1<br>line2</td>"));
    EXPECT_FALSE(html.contains("<b>&"));
    EXPECT_EQ(html.count("<tr>"), 4);
}

// Decodes what the RTF writer produces back to text: \uN? escapes and the three escaped characters.
QString rtfText(const QByteArray& rtf)
{
    QString text;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\' && i + 1 < rtf.size() && QByteArray("\\{}").contains(rtf[i + 1])) {
            text += QChar(rtf[++i]);
        } else if (rtf.mid(i, 2) == "\\u" && i + 2 < rtf.size() && (rtf[i + 2] == '-' || isdigit(rtf[i + 2]))) {
            qsizetype end = i + 3;
            while (isdigit(rtf[end]))
                ++end;
            text += QChar(char16_t(qint16(rtf.mid(i + 2, end - i - 2).toInt())));
            i = end; // skips the "?" fallback
        } else {
            text += QChar(rtf[i]);
        }
    }
    return text;
}

TEST(RtfExporter, IsAsciiWithUnicodeEscapesAndEscapedControls)
{
    EXPECT_EQ(RtfExporter::escaped(QStringLiteral("{a}\\b")), "\\{a\\}\\\\b");
    EXPECT_EQ(RtfExporter::escaped(QStringLiteral("Яя")), "\\u1071?\\u1103?");
    EXPECT_EQ(RtfExporter::escaped(QStringLiteral("\u20AC\uFFFD")), "\\u8364?\\u-3?"); // units above 0x7FFF are negative

    RtfExporter exporter;
    const QByteArray rtf = exported(exporter, awkwardGrid());
    ASSERT_TRUE(rtf.startsWith("{\\rtf1"));
    ASSERT_TRUE(rtf.trimmed().endsWith("}"));
    for (char c : rtf)
        ASSERT_LT(uchar(c), 128) << "only ASCII";
    EXPECT_EQ(rtf.count("\\row"), 4);
    EXPECT_EQ(rtf.count("\\cell\n"), 16);
    int depth = 0; // braces balance once escaped ones are left out
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
            continue;
        }
        depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
    const QString decoded = rtfText(rtf);
    EXPECT_TRUE(decoded.contains("{\\b Номер; \"зав.\"}\\cell"));
    EXPECT_TRUE(decoded.contains("{Манометр}\\cell"));
    EXPECT_TRUE(decoded.contains("{<b>&{x}\\y}\\cell"));
}

// Reads a workbook with openpyxl: every cell's value, Python type and number format, and the
// titles' boldness.
QJsonObject readWorkbook(const QString& path)
{
    const QString script = QStringLiteral(R"(
import json, sys, datetime, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
rows = []
for row in ws.iter_rows():
    rows.append([[None if c.value is None else (c.value.isoformat(sep=' ') if isinstance(c.value, datetime.datetime) else c.value),
                  type(c.value).__name__, c.number_format, bool(c.font and c.font.b)] for c in row])
print(json.dumps({"rows": rows, "max_row": ws.max_row}))
)");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

TEST(XlsxExporter, OpenpyxlReadsNumbersDatesTextAndBoldTitles)
{
    TempWorkDir dir;
    QString error;
    ASSERT_TRUE(exportGridToFile(awkwardGrid(), dir.file("grid.xlsx"), ExportFormat::Excel, &error))
        << error.toStdString();
    const QJsonArray rows = readWorkbook(dir.file("grid.xlsx"))["rows"].toArray();
    ASSERT_EQ(rows.size(), 4);
    auto cell = [&](int r, int c) { return rows[r].toArray()[c].toArray(); };
    EXPECT_EQ(cell(0, 1)[0].toString(), "Номер; \"зав.\"");
    EXPECT_TRUE(cell(0, 0)[3].toBool()) << "titles are bold";
    EXPECT_FALSE(cell(1, 0)[3].toBool());
    EXPECT_EQ(cell(1, 0)[0].toString(), "Манометр");
    EXPECT_EQ(cell(1, 1)[0].toString(), "O'Neil; --");
    EXPECT_DOUBLE_EQ(cell(1, 2)[0].toDouble(), 2.15);
    EXPECT_EQ(cell(1, 2)[1].toString(), "float");
    EXPECT_EQ(cell(1, 3)[0].toString(), "2004-03-05 00:00:00");
    EXPECT_EQ(cell(1, 3)[1].toString(), "datetime");
    EXPECT_EQ(cell(1, 3)[2].toString(), "dd.mm.yyyy");
    EXPECT_EQ(cell(2, 3)[0].toString(), "2025-01-31 14:05:00");
    EXPECT_EQ(cell(2, 3)[2].toString(), "dd.mm.yyyy hh:mm:ss");
    EXPECT_EQ(cell(2, 2)[1].toString(), "int"); // 10 is written as the number 10, not the text "10"
    EXPECT_EQ(cell(2, 1)[0].toString(), "line1\nline2");
    EXPECT_EQ(cell(3, 0)[0].toString(), "<b>&{x}\\y");
    EXPECT_TRUE(cell(3, 2)[0].isNull());
}

TEST(XlsxExporter, Xlsx2csvReadsTheSameFileFromABuffer)
{
    TempWorkDir dir;
    XlsxExporter exporter;
    const QByteArray bytes = exported(exporter, awkwardGrid());
    ASSERT_TRUE(bytes.startsWith("PK")) << "a zip container";
    QFile file(dir.file("buffer.xlsx"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QProcess xlsx2csv;
    xlsx2csv.start(QStringLiteral("/usr/bin/xlsx2csv"), {dir.file("buffer.xlsx")});
    ASSERT_TRUE(xlsx2csv.waitForFinished(60000));
    const QString csv = QString::fromUtf8(xlsx2csv.readAllStandardOutput());
    EXPECT_TRUE(csv.contains("Манометр,O'Neil; --,2.15,")) << csv.toStdString();
}

TEST(ExportFileName, FiltersOfferRealXlsxInTheLanguageInUse)
{
    QStringList filters = ExportFileName::filters();
    ASSERT_EQ(filters.size(), 5);
    EXPECT_EQ(filters[0], "Текстовые файлы (*.txt)");
    EXPECT_EQ(filters[4], "Книга Excel (*.xlsx)");
    setLanguageIndex(0);
    filters = ExportFileName::filters();
    setLanguageIndex(INSTREL_LANGUAGE);
    EXPECT_EQ(filters[0], "Text files (*.txt)");
    EXPECT_EQ(filters[4], "Microsoft Excel Workbook (*.xlsx)");
}

TEST(ExportFileName, ComparesTheWholeExtensionWithoutCase)
{
    const struct {
        QString name;
        ExportFormat format;
        QString result;
    } cases[] = {
        {"file1", ExportFormat::Text, "file1.txt"},
        {"file1.TXT", ExportFormat::Text, "file1.TXT"},
        {"file1.txt", ExportFormat::Text, "file1.txt"},
        {"file1.csv", ExportFormat::Text, "file1.csv.txt"},
        {"/tmp/a.b/file1", ExportFormat::Csv, "/tmp/a.b/file1.csv"},   // a dot in a folder is no extension
        {"report.HTML", ExportFormat::Html, "report.HTML"},
        {"report.htm", ExportFormat::Html, "report.htm"},
        {"book.xls", ExportFormat::Excel, "book.xls.xlsx"},             // the old rule saw "XLS" and stopped
        {"book.XLSX", ExportFormat::Excel, "book.XLSX"},
        {"notes.rtfx", ExportFormat::Rtf, "notes.rtfx.rtf"},           // only the last three letters matched before
        {"mytxt", ExportFormat::Text, "mytxt.txt"},                    // ... and this one kept no extension
        {"file1.", ExportFormat::Rtf, "file1.rtf"},
        {"Отчёт", ExportFormat::Csv, "Отчёт.csv"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExportFileName::withExtension(c.name, c.format), c.result) << c.name.toStdString();
}

// A real grid: a dataset over an SQLite file, its model and a table view with a hidden and a moved
// column.
class GridSnapshotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        createSqliteFile(dir.file("Device.db"),
                         {"create table Device (ID_Device INTEGER PRIMARY KEY AUTOINCREMENT, ANumber varchar(80), "
                          "SetDate datetime, Price decimal(18,6))",
                          "insert into Device (ANumber, SetDate, Price) values "
                          "('A-1', '2024-03-05 00:00:00', 2.15), ('Б-2', NULL, 10), ('a;3', '2025-01-31 14:05:00', NULL)"});
        connection.setDatabaseFile(dir.file("Device.db"));
        ds = std::make_unique<Dataset>(&connection);
        ds->setSql("select * from Device order by ID_Device;");
        ds->open();
        ds->fieldByName("ANumber").setLabel(QStringLiteral("Заводской номер"));
        model = std::make_unique<DatasetModel>(ds.get());
        view.setModel(model.get());
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        view.setColumnHidden(0, true);                // ID_Device
        view.horizontalHeader()->moveSection(3, 1);   // Price before ANumber
    }

    TempWorkDir dir;
    SqlConnection connection;
    std::unique_ptr<Dataset> ds;
    std::unique_ptr<DatasetModel> model;
    QTableView view;
};

TEST_F(GridSnapshotTest, VisibleColumnsInVisualOrderSelectedRowsInRowOrder)
{
    view.selectionModel()->select(model->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.selectionModel()->select(model->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const GridSnapshot grid = selectedRowsSnapshot(&view);
    EXPECT_EQ(grid.titles(), QStringList({"Price", "Заводской номер", "SetDate"}));
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.text(0, 1), "A-1");
    EXPECT_EQ(grid.text(1, 1), "a;3");
    EXPECT_EQ(grid.text(0, 0), "2,15");
    const GridCell price = grid.cell(0, 0);
    EXPECT_EQ(price.kind, GridCell::Kind::Number);
    EXPECT_DOUBLE_EQ(price.value.toDouble(), 2.15);
    EXPECT_EQ(grid.cell(1, 2).kind, GridCell::Kind::Date);
    EXPECT_EQ(grid.text(1, 2), "31.01.2025 14:05:00");
    EXPECT_EQ(grid.cell(1, 1).text, "a;3");
    EXPECT_EQ(grid.cell(1, 0).kind, GridCell::Kind::Text) << "a null price is an empty text cell";
    EXPECT_EQ(grid.cell(0, 1).kind, GridCell::Kind::Text);
}

// Exports read a dataset's cells without QVariant or QString; what they read must be what the grid
// shows, whatever the column: texts, numbers with a display format, dates with and without a time,
// nulls, an expression column, a calculated field, over sorted rows.
TEST_F(GridSnapshotTest, QuickReadersGiveWhatTheGridShows)
{
    connection.execute("insert into Device (ANumber, SetDate, Price) values ('h\"q', '2024-03-05 14:05:09', 0.125)");
    Dataset list(&connection);
    list.setSql("select Device.*, Price * 2 as Twice, null as Blank from Device");
    list.open();
    list.fieldByName("Price").setDisplayFormat("0.00");
    list.addCalculatedField("RecN", [](const Dataset&, int row) { return row + 1; });
    list.setSort("ANumber DESC");
    DatasetModel listModel(&list);
    QTableView listView;
    listView.setModel(&listModel);
    const GridSnapshot grid = allRowsSnapshot(&listView);
    ASSERT_EQ(grid.rowCount(), 4);
    ASSERT_EQ(grid.columnCount(), 7);
    SheetCell sheet;
    for (int row = 0; row < grid.rowCount(); ++row)
        for (int column = 0; column < grid.columnCount(); ++column) {
            const std::string where = std::to_string(row) + "," + std::to_string(column);
            QByteArray text;
            grid.appendText(row, column, text);
            EXPECT_EQ(QString::fromUtf8(text), grid.text(row, column)) << where;
            const GridCell general = grid.cell(row, column);
            grid.readSheetCell(row, column, sheet);
            ASSERT_EQ(sheet.kind, general.kind) << where;
            if (general.kind == GridCell::Kind::Number)
                EXPECT_DOUBLE_EQ(sheet.number, general.value.toDouble()) << where;
            else if (general.kind == GridCell::Kind::Date)
                EXPECT_EQ(QDateTime(QDate(sheet.moment[0], sheet.moment[1], sheet.moment[2]),
                                    QTime(sheet.moment[3], sheet.moment[4], sheet.moment[5])),
                          general.value.toDateTime())
                    << where;
            else
                EXPECT_EQ(QString::fromUtf8(sheet.text), general.text) << where;
        }
    EXPECT_EQ(grid.text(1, 3), "0,13"); // 'h"q', sorted second
}

TEST_F(GridSnapshotTest, NothingSelectedExportsNoRowsAndSelectAllExportsEvery)
{
    view.clearSelection();
    EXPECT_EQ(selectedRowsSnapshot(&view).rowCount(), 0);
    view.selectAll();
    EXPECT_EQ(selectedRowsSnapshot(&view).rowCount(), 3);
    EXPECT_EQ(allRowsSnapshot(&view).rowCount(), 3);
}

TEST_F(GridSnapshotTest, SaveCommandAddsExtensionWritesSelectionAndReportsUnwritableFiles)
{
    MessageRecorder messages;
    view.selectAll();

    FileDialogs::setNextSaveFileName(dir.file("file1.TXT"), 0);
    ASSERT_TRUE(saveSelectedRows(&view, nullptr));
    EXPECT_EQ(FileDialogs::lastProposedFileName(), "file1");
    ASSERT_TRUE(QFile::exists(dir.file("file1.TXT")));
    EXPECT_FALSE(QFile::exists(dir.file("file1.TXT.txt")));

    FileDialogs::setNextSaveFileName(dir.file("file1"), 1);
    ASSERT_TRUE(saveSelectedRows(&view, nullptr));
    QFile csv(dir.file("file1.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = parseCsv(QString::fromUtf8(csv.readAll().mid(3)), ',');
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[3], QStringList({"", "a;3", "31.01.2025 14:05:00"}));

    FileDialogs::setNextSaveFileName(dir.file("file1"), 4);
    ASSERT_TRUE(saveSelectedRows(&view, nullptr));
    const QJsonArray sheet = readWorkbook(dir.file("file1.xlsx"))["rows"].toArray();
    ASSERT_EQ(sheet.size(), 4);
    EXPECT_DOUBLE_EQ(sheet[1].toArray()[0].toArray()[0].toDouble(), 2.15);
    EXPECT_TRUE(messages.shown().isEmpty());

    FileDialogs::setNextSaveFileName(dir.file("no such folder/out"), 2);
    EXPECT_FALSE(saveSelectedRows(&view, nullptr));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].kind, MessageService::Kind::Error);
    EXPECT_TRUE(messages.shown()[0].text.contains("out.htm"));

    FileDialogs::setNextSaveFileName(QString(), 0); // cancelled: nothing written, nothing said
    EXPECT_FALSE(saveSelectedRows(&view, nullptr));
    EXPECT_EQ(messages.shown().size(), 1);
}

// "file1" typed with the text type is written as file1.txt: the question about replacing names that
// file, and No leaves it as it was.
TEST_F(GridSnapshotTest, ReplacingIsAskedAboutTheFileReallyWritten)
{
    MessageRecorder messages;
    view.selectAll();
    QFile existing(dir.file("file1.txt"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("previous contents");
    existing.close();

    FileDialogs::setNextSaveFileName(dir.file("file1"), 0);
    EXPECT_FALSE(saveSelectedRows(&view, nullptr)); // the recorder answers No
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].question);
    EXPECT_TRUE(messages.shown()[0].text.contains("file1.txt")) << messages.shown()[0].text.toStdString();
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), "previous contents");
    existing.close();

    messages.answerNext(true);
    FileDialogs::setNextSaveFileName(dir.file("file1"), 0);
    EXPECT_TRUE(saveSelectedRows(&view, nullptr));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_NE(existing.readAll(), "previous contents");
    EXPECT_FALSE(QFile::exists(dir.file("file1")));
}

TEST(ExportToFile, FailedExportKeepsTheExistingFile)
{
    TempWorkDir dir;
    QFile old(dir.file("keep.xlsx"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous contents");
    old.close();
    const GridSnapshot tooBig({"A"}, std::vector<std::vector<GridCell>>(size_t(XlsxExporter::MaxRows), {text("x")}));
    QString error;
    EXPECT_FALSE(exportGridToFile(tooBig, dir.file("keep.xlsx"), ExportFormat::Excel, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "previous contents");
}

} // namespace
