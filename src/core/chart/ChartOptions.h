#pragma once

namespace rp {

class ChartModel;

// Chart families and their 2D and 3D type codes: line (3, 2), bar (1, 0), area (5, 4).
enum class ChartFamily { Line = 1, Bar = 2, Area = 3 };

// How the graph window presents its chart; each option of its list changes one thing here or in
// the model.
class ChartOptions {
public:
    // "Markers": lines with markers, markers only, lines only, and round again.
    void markers();
    // "Bar/Line": bar, area, line, and round again.
    void barLine();
    // "2D/3D".
    void toggle3d() { m_3d = !m_3d; }
    // "Stack": appends or cuts " (STACKED)" in the title; stacked bounds are the chart's own.
    void stack(ChartModel& model);
    // "Log Yaxis" / "Normal Yaxis": returns the item's next text.
    const char* logYaxis(ChartModel& model);
    // "Y2 axis": series 2 onward against a second axis and back; nothing with one series.
    void y2Axis(ChartModel& model);
    // A new chart on the window: the options stay, but the model's axis is its own again.
    void reset() { *this = ChartOptions{}; }

    bool stacked() const { return m_stacked; }
    ChartFamily family() const { return m_family == 0 ? ChartFamily::Line : ChartFamily(m_family); }
    bool is3d() const { return m_3d; }
    bool showLines() const { return m_markerState != 2; }
    bool showMarkers() const { return m_markerState != 0; }
    int markerState() const { return m_markerState; }
    // The chart type code: 0 3D bar, 1 2D bar, 2 3D line, 3 2D line, 4 3D area, 5 2D area.
    int chartType() const;

private:
    bool m_stacked = false;
    int m_family = 0; // 0 counts as line
    bool m_3d = false;
    // The marker look the chart has now: 0 lines only (the start), 1 lines with markers,
    // 2 markers only.
    int m_markerState = 0;
};

} // namespace rp
