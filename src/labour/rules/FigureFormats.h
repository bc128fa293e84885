#pragma once

#include <QString>

class Dataset;

// The places the labour figures are shown and printed with. They are stored with six decimals, the
// results of divisions and sums (19.499981 hours); shown so, they read as noise. Each is rounded
// once, where it is shown: hours and the employees required with two places, counts of days,
// percents, repetitions and intervals with up to two. What is stored is left as computed, and an
// editor starts from the stored value.
namespace FigureFormats {

// "0.00", "0.##", or empty for a column that is no labour figure (names compared ignoring case).
QString of(const QString& column);

// Gives every field of `dataset` its format, now if it is open and each time it is opened again.
void follow(Dataset& dataset);

} // namespace FigureFormats
