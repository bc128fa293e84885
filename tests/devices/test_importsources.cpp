// The readers of imported tables: text files in their encodings, separators and quotes, and .xlsx
// workbooks as two different writers make them.

#include "devices/import/CsvSource.h"
#include "devices/import/DeviceImport.h"
#include "devices/import/XlsxSource.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

namespace {

struct ReadTable {
    QList<int> rows;
    QList<QStringList> cells; // as the user reads them
    QList<QVariantList> values;
    QString error;
};

ReadTable readAll(const QString& path, const TableSourceOptions& options = {})
{
    ReadTable table;
    auto source = openTableSource(path, options, table.error);
    if (!source)
        return table;
    QVariantList cells;
    int row = 0;
    while (source->next(cells, row)) {
        table.rows.append(row);
        QStringList texts;
        for (const QVariant& cell : cells)
            texts.append(cellText(cell));
        table.cells.append(texts);
        table.values.append(cells);
    }
    table.error = source->error();
    return table;
}

QString writeBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray utf8(const char* text) { return QByteArray(text); }

} // namespace

TEST(ImportSources, TextFilesInEachEncodingSeparatorAndQuoting)
{
    QTemporaryDir dir;
    QStringEncoder cp1251("Windows-1251");
    ASSERT_TRUE(cp1251.isValid());
    struct Case {
        const char* name;
        QByteArray bytes;
        QChar separator;
        QList<QStringList> cells;
        QList<int> rows;
    };
    const QList<Case> cases{
        {"utf-8 with a byte order mark, ';'", utf8("\xEF\xBB\xBFТип;Заводской номер\r\nМанометр;A-1\r\n"),
         QLatin1Char(';'), {{"Тип", "Заводской номер"}, {"Манометр", "A-1"}}, {1, 2}},
        {"windows-1251, ','", QByteArray(cp1251(QStringLiteral("Тип,Номер\nТермометр,Ё-7\n"))), QLatin1Char(','),
         {{"Тип", "Номер"}, {"Термометр", "Ё-7"}}, {1, 2}},
        {"tab, a comma inside a field", utf8("Тип\tКомментарий\nДатчик\tа, б\n"), QLatin1Char('\t'),
         {{"Тип", "Комментарий"}, {"Датчик", "а, б"}}, {1, 2}},
        // Quoted fields keep separators, doubled quotes and line breaks; the next row's number
        // counts the lines the break took.
        {"quotes", utf8("A;B\n\"x;y\";\"он сказал \"\"да\"\"\"\n\"две\nстроки\";--\n\n;\nпоследняя;🙂"),
         QLatin1Char(';'),
         {{"A", "B"}, {"x;y", "он сказал \"да\""}, {"две\nстроки", "--"}, {"последняя", "🙂"}}, {1, 2, 3, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeBytes(dir, QStringLiteral("t.csv"), c.bytes);
        CsvSource probe(path, {});
        QString error;
        ASSERT_TRUE(probe.open(error)) << error.toStdString();
        EXPECT_EQ(probe.separator(), c.separator);
        const ReadTable table = readAll(path);
        EXPECT_TRUE(table.error.isEmpty()) << table.error.toStdString();
        QList<QStringList> expected;
        for (const QStringList& row : c.cells)
            expected.append(row);
        EXPECT_EQ(table.cells, expected);
        EXPECT_EQ(table.rows, c.rows);
    }
}

TEST(ImportSources, BrokenAndEmptyFilesAreNamedNotRead)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        const char* fileName;
        QByteArray bytes;
        const char* errorPart;
    };
    const QList<Case> cases{
        {"empty file", "empty.csv", {}, "пуст"},
        {"quote left open", "open.csv", utf8("A;B\n\"x;y\n"), "кавычка не закрыта"},
        {"binary as a workbook", "bin.xlsx", QByteArray("\x00\x01\x02garbage\xff", 12), "повреждён"},
        {"zip header only", "cut.xlsx", QByteArray("PK\x03\x04\x14\x00", 6), "повреждён"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadTable table = readAll(writeBytes(dir, QString::fromLatin1(c.fileName), c.bytes));
        EXPECT_TRUE(table.error.contains(QString::fromUtf8(c.errorPart))) << table.error.toStdString();
    }
}

TEST(ImportSources, SerialNumbersCountFromTheWorkbooksBase)
{
    struct Case {
        double serial;
        bool base1904;
        QDate expected;
    };
    const QList<Case> cases{
        {1, false, {1900, 1, 1}},    {59, false, {1900, 2, 28}},  {60, false, {}}, // the day that never was
        {61, false, {1900, 3, 1}},   {0, false, {}},              {-1, false, {}},
        {46000.75, false, {2025, 12, 9}}, {0, true, {1904, 1, 1}}, {44538, true, {2025, 12, 9}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(XlsxSource::serialDate(c.serial, c.base1904), c.expected) << c.serial << " " << c.base1904;
    EXPECT_TRUE(XlsxSource::isDateFormat(14, {}));
    EXPECT_TRUE(XlsxSource::isDateFormat(164, QStringLiteral("dd.mm.yyyy")));
    EXPECT_FALSE(XlsxSource::isDateFormat(164, QStringLiteral("0.00\"d\"")));
    EXPECT_FALSE(XlsxSource::isDateFormat(164, QStringLiteral("[Red]0.0")));
    EXPECT_EQ(XlsxSource::columnOf(QStringLiteral("A1")), 0);
    EXPECT_EQ(XlsxSource::columnOf(QStringLiteral("AB12")), 27);
}

namespace {

// A workbook of two sheets as libxlsxwriter writes it; in constant-memory mode it writes inline
// texts instead of shared ones.
QString writeWorkbook(const QString& path, bool constantMemory)
{
    lxw_workbook_options options{};
    options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* workbook = workbook_new_opt(path.toUtf8().constData(), &options);
    lxw_worksheet* first = workbook_add_worksheet(workbook, "Справка");
    worksheet_write_string(first, 0, 0, "не эта", nullptr);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Приборы");
    lxw_format* date = workbook_add_format(workbook);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_format* merged = workbook_add_format(workbook);
    worksheet_write_string(sheet, 0, 0, "Тип", nullptr);
    worksheet_write_string(sheet, 0, 1, "Интервал", nullptr);
    worksheet_write_string(sheet, 0, 3, "Дата", nullptr);
    worksheet_write_string(sheet, 2, 0, "Манометр", nullptr); // row 2 left empty
    worksheet_write_number(sheet, 2, 1, 1.5, nullptr);
    worksheet_write_boolean(sheet, 2, 2, 1, nullptr);
    lxw_datetime day{2027, 2, 28, 0, 0, 0};
    worksheet_write_datetime(sheet, 2, 3, &day, date);
    worksheet_write_formula_num(sheet, 3, 1, "=B3*2", nullptr, 3);
    worksheet_merge_range(sheet, 3, 2, 3, 3, "слито", merged);
    worksheet_write_string(sheet, 4, 0, std::string(10000, 'x').c_str(), nullptr);
    worksheet_write_blank(sheet, 1048575, 0, date); // a formatted cell at the sheet's last row
    workbook_close(workbook);
    return path;
}

} // namespace

TEST(ImportSources, WorkbookCellsAsLibxlsxwriterWritesThem)
{
    QTemporaryDir dir;
    for (const bool constantMemory : {false, true}) {
        SCOPED_TRACE(constantMemory ? "inline texts" : "shared texts");
        const QString path = writeWorkbook(dir.filePath(QStringLiteral("w%1.xlsx").arg(constantMemory)), constantMemory);
        QString error;
        EXPECT_EQ(XlsxSource::sheetNames(path, error), (QStringList{"Справка", "Приборы"}));
        TableSourceOptions options;
        options.sheet = 1;
        const ReadTable table = readAll(path, options);
        ASSERT_TRUE(table.error.isEmpty()) << table.error.toStdString();
        ASSERT_EQ(table.rows, (QList<int>{1, 3, 4, 5}));
        EXPECT_EQ(table.cells[0], (QStringList{"Тип", "Интервал", "", "Дата"}));
        EXPECT_EQ(table.values[1][1], QVariant(1.5));
        EXPECT_EQ(table.values[1][2], QVariant(true));
        EXPECT_EQ(table.values[1][3], QVariant(QDate(2027, 2, 28)));
        EXPECT_EQ(table.cells[2].mid(0, 3), (QStringList{"", "3", "слито"}))
            << "the formula's cached value, the merge's first cell";
        EXPECT_EQ(table.cells[3][0].size(), 10000);
    }
}

TEST(ImportSources, WorkbookAsOpenpyxlWritesItWithThe1904Base)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")) ||
        QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import openpyxl")}) != 0)
        GTEST_SKIP() << "python3-openpyxl is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("py.xlsx"));
    const QString script = QStringLiteral(
        "import sys, datetime, openpyxl\n"
        "from openpyxl.utils.datetime import CALENDAR_MAC_1904\n"
        "wb = openpyxl.Workbook(); wb.epoch = CALENDAR_MAC_1904\n"
        "ws = wb.active; ws.title = 'Лист'\n"
        "ws.append(['Заводской номер', 'Тип', 'Дата установки', 'Годен'])\n"
        "ws.append(['З-1', 'Манометр', datetime.date(2027, 1, 31), False])\n"
        "ws['B4'] = '=\"Тер\"&\"мометр\"'\n"
        "wb.save(sys.argv[1])\n");
    ASSERT_EQ(QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path}), 0);
    const ReadTable table = readAll(path);
    ASSERT_TRUE(table.error.isEmpty()) << table.error.toStdString();
    // openpyxl stores no result with a formula: that row reads as empty.
    ASSERT_EQ(table.rows, (QList<int>{1, 2}));
    EXPECT_EQ(table.cells[0], (QStringList{"Заводской номер", "Тип", "Дата установки", "Годен"}));
    EXPECT_EQ(table.values[1][2], QVariant(QDate(2027, 1, 31)));
    EXPECT_EQ(table.values[1][3], QVariant(false));
}

TEST(ImportSources, HeaderRowChosenOrFirstWithAValue)
{
    QTemporaryDir dir;
    const QString path = writeBytes(dir, QStringLiteral("h.csv"), utf8("\n;;\nзаголовок отчёта\nТип;Номер\nМанометр;1\n"));
    for (const auto& [headerRow, expected] : QList<std::pair<int, QStringList>>{
             {0, {"заголовок отчёта"}}, {4, {"Тип", "Номер"}}}) {
        QString error;
        auto source = openTableSource(path, {}, error);
        ASSERT_TRUE(source);
        QStringList header;
        ASSERT_TRUE(DeviceImport::readHeader(*source, headerRow, header, error));
        EXPECT_EQ(header, expected);
    }
    const QString onlyBlank = writeBytes(dir, QStringLiteral("b.csv"), utf8(";;\n\n"));
    QString error;
    auto source = openTableSource(onlyBlank, {}, error);
    QStringList header;
    EXPECT_FALSE(DeviceImport::readHeader(*source, 0, header, error));
    EXPECT_TRUE(error.contains(QStringLiteral("нет строки заголовка")));
}
