#pragma once

class QWidget;

namespace rp {

class ChartModel;
class ChartOptions;

// Whether this display can draw 3D views (an OpenGL context can be made).
bool canDraw3d();

// The chart's 3D form: one row of bars per series, long series reduced to their largest value per
// block of rows. Needs canDraw3d().
QWidget* createChart3d(const ChartModel& model, const ChartOptions& options, QWidget* parent);

} // namespace rp
