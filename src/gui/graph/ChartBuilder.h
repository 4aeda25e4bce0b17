#pragma once

#include <QString>

QT_BEGIN_NAMESPACE
class QChart;
class QAbstractSeries;
QT_END_NAMESPACE

namespace rp {

class ChartModel;
class ChartOptions;

// The rows of the chart shown now: all of them, or a zoomed stretch.
struct VisibleRows {
    double first = 0;
    double last = 0;
};

// Draws a chart model on a Qt chart: titles, legend, axes, one series per column in the chosen
// family, long series reduced to what the plot's pixel columns can show. Every series it adds
// carries its column (from 0) in the property "column"; a bar series, the column of its first set.
class ChartBuilder {
public:
    static void build(QChart& chart, const ChartModel& model, const ChartOptions& options,
                      VisibleRows rows, int pixels);
    // Slants the date labels where they would run into each other across the plot area as the
    // chart is laid out now, and sets them straight where they fit. Run it whenever the plot
    // area changes: the legend, the axes and the window all take from its width.
    static void fitDateLabels(QChart& chart);
    // Rows above this are drawn as an envelope rather than one bar each.
    static constexpr int maxBars = 2000;
};

// The value of a chart cell for tool tips and labels: the number and the row label.
QString chartPointText(const ChartModel& model, int row, int column);

} // namespace rp
