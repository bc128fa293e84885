#pragma once

class QChart;
class QColor;
class QString;
class ServicePivot;

// The bar chart of the service pivot: the months along the horizontal axis, one bar set per short
// name with its counts, a legend, no title. Each service keeps its colour whatever the selection, so
// that charts of different groups can be compared at a glance.
namespace ServiceChart {

// Replaces the chart's series and axes with those of `pivot`; an empty pivot leaves the titled axes.
void fill(QChart* chart, const ServicePivot& pivot);
// The colour of a service, fixed by its name.
QColor colourOf(const QString& shortName);

} // namespace ServiceChart
