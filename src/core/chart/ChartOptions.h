#pragma once

#include <QString>
#include <array>
#include <optional>

namespace rp {

class ChartModel;

// Chart families and their 2D and 3D type codes: line (3, 2), bar (1, 0), area (5, 4).
enum class ChartFamily { Line = 1, Bar = 2, Area = 3 };

// The marker look of lines: "Markers" goes round them in this order.
enum class MarkerState { LinesOnly, LinesAndMarkers, MarkersOnly };

// The options of the graph window's list, in the list's order.
enum class ChartOption {
    Markers,
    BarLine,
    Stack,
    Cumulative,
    LogYaxis,
    Y2Axis,
    Toggle3d,
    Picture,
    Print,
    Close,
    ResetZoom,
    SaveImage
};
inline constexpr std::array allChartOptions{
    ChartOption::Markers,  ChartOption::BarLine, ChartOption::Stack,     ChartOption::Cumulative,
    ChartOption::LogYaxis, ChartOption::Y2Axis,  ChartOption::Toggle3d,  ChartOption::Picture,
    ChartOption::Print,    ChartOption::Close,   ChartOption::ResetZoom, ChartOption::SaveImage};

// The option's text in the list; the log option reads "Normal Yaxis" while the axis is
// logarithmic.
QString chartOptionCaption(ChartOption option, bool logarithmic = false);
// The option a list text names, whichever text the log option shows; nothing for other texts.
std::optional<ChartOption> chartOptionOfCaption(const QString& caption);

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
    // "Log Yaxis" / "Normal Yaxis".
    void logYaxis(ChartModel& model);
    // "Y2 axis": series 2 onward against a second axis and back; nothing with one series.
    void y2Axis(ChartModel& model);
    // A new chart on the window: the options stay, but the model's axis is its own again.
    void reset() { *this = ChartOptions{}; }

    bool stacked() const { return m_stacked; }
    ChartFamily family() const { return m_family; }
    bool is3d() const { return m_3d; }
    bool showLines() const { return m_markerState != MarkerState::MarkersOnly; }
    bool showMarkers() const { return m_markerState != MarkerState::LinesOnly; }
    MarkerState markerState() const { return m_markerState; }
    // The chart type code: 0 3D bar, 1 2D bar, 2 3D line, 3 2D line, 4 3D area, 5 2D area.
    int chartType() const;

private:
    bool m_stacked = false;
    ChartFamily m_family = ChartFamily::Line;
    bool m_3d = false;
    MarkerState m_markerState = MarkerState::LinesOnly;
};

} // namespace rp
