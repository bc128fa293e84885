#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

// Rows of a table the user brings in, read front to back without holding the file in memory.
// A cell is a QString, a double, a bool or a QDate (a spreadsheet's date cell); an empty cell is
// an invalid QVariant. Rows without any value are passed over.
class TableSource {
public:
    virtual ~TableSource() = default;

    // The next row with a value; false at the end of the table or when reading failed (error()).
    // `row` is the number the user finds the row by: the sheet's row, or the line of a text file
    // the row starts on.
    virtual bool next(QVariantList& cells, int& row) = 0;
    // Why reading stopped early, in Russian; empty while all is well.
    virtual QString error() const = 0;
    // How far the reading is, as a fraction from 0 to 1, for a progress bar.
    virtual double progress() const = 0;
};

// What the user chose for the file; the defaults are found from the file itself.
struct TableSourceOptions {
    QChar separator;      // of a text file; null: found from the header line
    QString encoding;     // of a text file: "UTF-8" or "Windows-1251"; empty: found from the bytes
    int sheet = 0;        // of a workbook, from 0
    int headerRow = 0;    // the row holding the titles; 0: the first row with a value
};

// The reader for `fileName` by its contents (a workbook is a zip archive) and its name; nullptr
// with `error` set when the file cannot be read at all.
std::unique_ptr<TableSource> openTableSource(const QString& fileName, const TableSourceOptions& options,
                                             QString& error);

// The text of a cell as a user typed it: dates as dd.MM.yyyy, whole numbers without a fraction.
QString cellText(const QVariant& cell);
