#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class Dataset;
class QAbstractItemModel;
class QTableView;

// One cell as an exporter sees it: the text the grid shows, and the raw value with its kind, so
// that a spreadsheet receives real numbers and dates instead of their display texts.
struct GridCell {
    enum class Kind { Text, Number, Date };
    QString text;
    QVariant value;
    Kind kind = Kind::Text;

    // The kind of a raw value: integers and reals are numbers, dates and moments are dates, the
    // rest (null included) is text.
    static Kind kindOf(const QVariant& value);
};

// A cell as a spreadsheet takes it, read into one object reused from cell to cell.
struct SheetCell {
    GridCell::Kind kind = GridCell::Kind::Text;
    double number = 0;
    int moment[6] = {}; // year, month, day, hour, minute, second
    QByteArray text;    // UTF-8, text cells only
};

// What an export writes: the titles of the columns and the cells of the rows, in order.
//
// Built either by hand (tests, computed tables) or over a model, where it only remembers which rows
// and columns to take and reads each cell when an exporter asks: 100,000 rows are not copied first.
class GridSnapshot {
public:
    GridSnapshot() = default;
    GridSnapshot(const QStringList& titles, std::vector<std::vector<GridCell>> rows);
    // `columns` and `rows` are the model's logical columns and rows, in the order to write them.
    // Text comes from Qt::DisplayRole, the raw value from Qt::EditRole, titles from the header; over
    // a DatasetModel the same texts and values are read from its dataset without the QVariant detour.
    GridSnapshot(const QAbstractItemModel* model, std::vector<int> columns, std::vector<int> rows);

    int rowCount() const;
    int columnCount() const { return int(m_titles.size()); }
    const QStringList& titles() const { return m_titles; }
    QString title(int column) const { return m_titles.at(column); }
    // What the grid shows: all the text-based formats need.
    QString text(int row, int column) const;
    // The same text appended to `out` as UTF-8; over a dataset without a QString per cell.
    void appendText(int row, int column, QByteArray& out) const;
    // The value and its kind; the text only for text cells (numbers and dates are written from
    // their values).
    GridCell cell(int row, int column) const;
    // The same as cell(); over a dataset without a QVariant or a QString per cell.
    void readSheetCell(int row, int column, SheetCell& cell) const;

private:
    QStringList m_titles;
    std::vector<std::vector<GridCell>> m_cells;
    const QAbstractItemModel* m_model = nullptr;
    const Dataset* m_dataset = nullptr;
    std::vector<int> m_modelColumns;
    std::vector<int> m_modelRows;
};

// The visible columns of `view` in their visual order and its selected rows in row order (a row
// counts as selected when any of its cells is). With nothing selected the snapshot has no rows:
// the command exports the selection, and "Select All" (view->selectAll()) is one call away.
GridSnapshot selectedRowsSnapshot(const QTableView* view);
// The same columns with every row of the model: what printing uses.
GridSnapshot allRowsSnapshot(const QTableView* view);
// The visible columns of `view` (logical indexes) in their visual order.
std::vector<int> visibleColumns(const QTableView* view);
