#include "tables/GridFind.h"

#include "data/Dataset.h"

namespace GridFind {

bool matches(const QString& cell, const Options& options)
{
    const Qt::CaseSensitivity cs = options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    switch (options.match) {
    case Match::AnyPart: return cell.contains(options.text, cs);
    case Match::Whole: return cell.compare(options.text, cs) == 0;
    case Match::Start: return cell.startsWith(options.text, cs);
    }
    return false;
}

int findRow(int rowCount, int currentRow, Direction direction, const std::function<bool(int)>& rowMatches)
{
    if (rowCount <= 0)
        return -1;
    if (currentRow < 0 || currentRow >= rowCount) {
        currentRow = -1;
        if (direction == Direction::Up)
            direction = Direction::Down;
    }
    if (direction == Direction::Up) {
        for (int row = currentRow - 1; row >= 0; --row)
            if (rowMatches(row))
                return row;
        return -1;
    }
    for (int row = currentRow + 1; row < rowCount; ++row)
        if (rowMatches(row))
            return row;
    if (direction == Direction::All)
        for (int row = 0; row <= currentRow; ++row)
            if (rowMatches(row))
                return row;
    return -1;
}

int findRow(const Dataset& dataset, const QStringList& fields, const Options& options)
{
    std::vector<int> columns;
    if (fields.isEmpty()) {
        for (int i = 0; i < dataset.fieldCount(); ++i)
            if (dataset.fields()[size_t(i)]->isVisible())
                columns.push_back(i);
    } else {
        for (const QString& name : fields)
            if (const int i = dataset.fieldIndex(name); i >= 0)
                columns.push_back(i);
    }
    auto cellText = [&](int row, int column) {
        return options.formatSensitive ? dataset.displayText(row, column)
                                       : Field::formatValue(dataset.valueAt(row, column));
    };
    return findRow(dataset.recordCount(), dataset.currentRow(), options.direction, [&](int row) {
        for (int column : columns)
            if (matches(cellText(row, column), options))
                return true;
        return false;
    });
}

} // namespace GridFind
