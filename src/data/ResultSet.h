#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

class Field;
struct sqlite3_stmt;

// The rows a statement returned, held column by column in compact form: integers and reals in plain
// arrays with a null mask, dates packed as yyyymmddhhmmss integers, texts as indices into a per-column
// dictionary of UTF-8 values. Where a column repeats its texts (type names, places) the dictionary
// holds each distinct value once; a column of mostly distinct texts (inventory numbers) keeps them as
// they come, without a lookup per row. A grid over 100,000 devices then costs a few megabytes instead
// of a QVariant per cell, and grouping, filtering and sorting compare integers.
class ResultSet {
public:
    enum class ColumnType { Integer, Real, Text, DateTime, Variant };
    // How a server sends a column's values as text: integers; "t" or "f"; reals; decimals (kept at
    // six places, as the columns that hold them are); dates and moments without a zone
    // ("yyyy-mm-dd[ hh:mm:ss[.ffffff]]"); texts. Anything else is kept as text among variants.
    enum class SentAs { Integer, Bool, Real, Decimal, Moment, Text, Other };

    struct ColumnInfo {
        QString name;
        QString declaredType;
        ColumnType type = ColumnType::Variant;
    };

    ResultSet();
    ~ResultSet();
    ResultSet(const ResultSet&) = delete;
    ResultSet& operator=(const ResultSet&) = delete;

    int columnCount() const { return int(m_columns.size()); }
    int rowCount() const { return m_rowCount; }
    const ColumnInfo& column(int c) const;
    // Case-insensitive; -1 when there is no such column.
    int indexOf(const QString& name) const;

    QVariant value(int row, int col) const;
    // The day of a date/time cell (invalid for a null or a text that is no date). Builds no
    // QDateTime: a local QDateTime asks the system for its time zone each time, which dominates a
    // pass over many rows.
    QDate date(int row, int col) const;
    bool isNull(int row, int col) const;
    // The value as the user would read it in a list of distinct values: text as is, numbers with
    // ".", dates "dd.MM.yyyy" (with the time when it is not midnight).
    QString text(int row, int col) const;
    void setValue(int row, int col, const QVariant& value);
    // The cell as `field` shows it (Field::displayText of its value), appended as UTF-8 without a
    // QVariant or a QString: exports of many rows.
    void appendDisplayText(int row, int col, const Field& field, QByteArray& out) const;
    // The same for a cell shown without a field: `displayFormat` as Field::displayFormat.
    void appendDisplayText(int row, int col, const QString& displayFormat, QByteArray& out) const;
    // For the same readers: the value of a non-null Integer or Real cell, and the year, month, day,
    // hour, minute and second of a non-null DateTime cell.
    double number(int row, int col) const;
    void momentParts(int row, int col, int parts[6]) const;
    // For loaders of many rows, also without a QVariant: the value of a non-null Integer cell, the
    // UTF-8 bytes of a non-null Text cell (valid while the rows are), and a non-null DateTime cell in
    // the storage form "yyyy-mm-dd hh:mm:ss" (appended).
    qint64 integer(int row, int col) const;
    std::string_view utf8(int row, int col) const;
    void appendStorageMoment(int row, int col, QByteArray& out) const;

    // Orders two rows by one column the way the database orders them: nulls first, texts without
    // regard to letter case (all of Unicode), numbers and dates by value.
    int compare(int rowA, int rowB, int col) const;
    // An integer for the value's place among the column's values (equal values, equal ranks; nulls
    // rank 0). Lets a sort over many rows compare integers.
    const std::vector<quint32>& ranks(int col) const;
    // Identity of the cell's value within its column: equal keys mean equal values (texts compared
    // exactly). Equal values share a key too, except in a text column of mostly distinct values,
    // where a repeated text may have a key of its own. The client filter decides once per key.
    qint64 valueKey(int row, int col) const;

    int appendRow();

    // Building from a prepared statement (the connection's job).
    void defineColumns(sqlite3_stmt* stmt);
    void appendFromStatement(sqlite3_stmt* stmt);
    // Empties the rows for the next batch of a statement read front to back, keeping the columns and
    // the types they have taken, so that every batch reads its values as one whole set would. A batch
    // is read once: its texts are kept as they come, without a dictionary to share them.
    void startBatch();
    // Building from rows a server sent as text (the connection's job): a column for each of the
    // result's, then a row at a time, `cells[c]` the UTF-8 text of column c with `sizes[c]` bytes,
    // nullptr for NULL. The values, their types and nulls are those the embedded engine gives.
    // `declaredType` as the server declares the column ("varchar(50)"), for the size a text may have.
    void addColumn(const QString& name, SentAs sentAs, const QString& declaredType = {});
    // Room for `count` more rows in every column, for a reader that knows how many come: the columns
    // then never move their values to grow.
    void reserveRows(int count);
    void appendFromText(const char* const* cells, const int* sizes);
    // Building by hand (tests, computed tables).
    void addColumn(const QString& name, ColumnType type);

    static ColumnType typeFromDeclaration(const QString& declaredType);
    // Keeps the memory of rows freed in the process for the next read (the engines call it when they
    // open a database).
    static void keepFreedMemoryForTheNextRead();
    static qint64 packDateTime(const QDateTime& moment);
    static QDateTime unpackDateTime(qint64 packed);

private:
    struct Column;
    void reviewSharingAt(int rowCount);
    Column& col(int c) { return *m_columns[size_t(c)]; }
    const Column& col(int c) const { return *m_columns[size_t(c)]; }

    std::vector<std::unique_ptr<Column>> m_columns;
    int m_rowCount = 0;
};
