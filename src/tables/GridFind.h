#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Dataset;

// The search behind the grid's find dialog, without widgets.
namespace GridFind {

enum class Match { AnyPart, Whole, Start };
enum class Direction { Up, Down, All };

struct Options {
    QString text;
    Match match = Match::AnyPart;
    Direction direction = Direction::All;
    bool caseSensitive = false;
    // Compare the text the grid shows (with the column's display format) rather than the value in its
    // plain form: "2,2" finds a price 2.15 shown with "0.0" only when this is set.
    bool formatSensitive = true;
};

// Whether a cell's text matches. Without case sensitivity letters are folded by Unicode, so
// "МАНОМЕТР" finds "манометр" and "ё" finds "Ё".
bool matches(const QString& cell, const Options& options);

// The first row after `currentRow` (Down), before it (Up), or after it and then from the top round
// to it (All) for which `rowMatches` holds; -1 when none does. The current row is only found again
// with All, and last. `currentRow` -1 (no current row) searches from the top.
int findRow(int rowCount, int currentRow, Direction direction, const std::function<bool(int row)>& rowMatches);

// Over a dataset's rows from its current row: the fields named (any of them may match), or every
// visible field when `fields` is empty. Returns a 0-based row, -1 when not found.
int findRow(const Dataset& dataset, const QStringList& fields, const Options& options);

} // namespace GridFind
