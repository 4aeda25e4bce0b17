#pragma once

#include <QString>

namespace rp {

// The values that travel between the hand-off, the Graph/Table dialog and the graph window: one
// object, owned by the main window's hand-off and passed to whoever reads or sets them.
struct SeriesSession {
    // How many series the graph window shows; it sets this back to 0 when it closes.
    int seriesCount = 0;
    // Whether the graph window shows cumulative sums.
    bool cumulative = false;
    // Unit values on the first day of a Unit or UnitShift series, 0 for other time steps: the
    // label spacing of sub-daily charts.
    int valuesPerDay = 0;
    // The heading of the previous hand-off; "Add series" is offered only under the same one.
    QString lastHeading;
};

} // namespace rp
