#pragma once

class QChart;
class ServicePivot;

// The bar chart of the service pivot: the months along the horizontal axis, one bar set per short
// name with its counts, a legend, no title. Each service of the pivot has a fill of its own
// (ServicePalette), in the pivot's order.
namespace ServiceChart {

// Replaces the chart's series and axes (deleting the old ones) with those of `pivot`; an empty pivot
// leaves the titled axes.
void fill(QChart* chart, const ServicePivot& pivot);

} // namespace ServiceChart
