#pragma once

#include <QImage>
#include <QSize>

class QWidget;

namespace rp {

class ChartModel;
class ChartOptions;

// Whether this display can draw 3D views (an OpenGL context can be made).
bool canDraw3d();

// The chart's 3D form in the chart's family: bars as one row of bars per series, lines as a
// ribbon per series, areas as a filled band per series standing on the floor; long series are
// reduced to their largest value per block of rows. Needs canDraw3d().
QWidget* createChart3d(const ChartModel& model, const ChartOptions& options, QWidget* parent);

// The 3D view made by createChart3d() drawn at `size`.
QImage renderChart3d(QWidget* view, QSize size);

} // namespace rp
