#pragma once

#include "core/base/TimeStep.h"

#include <QString>

namespace rp {

struct SeriesSession;

// The two header lines of a series file, split from the main window's description
// "key site; PARAMETER, UNIT".
struct SeriesHeader {
    QString line1;     // code, then the site half
    QString line2;     // heading, a space, then the parameter half
    QString heading;   // of the time step
    QString parameter; // the parameter half alone
};

// Throws rp::Error when the description is not one GO builds (it has no "; ").
SeriesHeader seriesHeader(TimeStep step, const QString& description);

// How the Graph/Table dialog's controls stand after a hand-off.
struct DialogStates {
    bool acftEnabled = false;     // "Acre-Feet", always unchecked
    bool tableEnabled = true;     // "Table"; unchecked when disabled
    bool updateEnabled = true;    // "UPDATE database with Excel"
    bool updateUnchanged = false; // Unit keeps the update option as it stands
    bool addlineEnabled = false;  // "Add series"; unchecked when disabled
};

// Decides the dialog's states for a hand-off and carries the session over: a new heading starts
// the chart afresh (series count 0, no cumulative sums).
DialogStates handOffStates(TimeStep step, const SeriesHeader& header, SeriesSession& session);

} // namespace rp
