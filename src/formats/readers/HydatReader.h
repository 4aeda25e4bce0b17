#pragma once

#include "formats/readers/ReadResult.h"

#include <QString>
#include <QStringList>

namespace rp::readers {

struct HydatOptions {
    QStringList stations; // station numbers to read; empty reads every station
};

// Daily flows (m3/s) and levels (m) of a Water Survey of Canada HYDAT SQLite database, opened
// read-only: one series per station and table, from the month rows of DLY_FLOWS and DLY_LEVELS
// (FLOW1..FLOW31 with FLOW_SYMBOL1..31, LEVEL1..31 with LEVEL_SYMBOL1..31). The symbols stay as
// qualifiers (HYDAT scheme: B ice, E estimated, A partial day, D dry, R revised). Dates are
// local standard time of the station as HYDAT keeps them.
ReadResult readHydat(const QString& path, const HydatOptions& options = {});

} // namespace rp::readers
