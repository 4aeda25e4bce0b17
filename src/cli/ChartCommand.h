#pragma once

#include <QStringList>

namespace rp {

// `rivelpost-cli chart SERIESFILE [SERIESFILE ...] --out FILE.png|FILE.pdf [--width W]
// [--height H] [--cumulative] [--log] [--y2] [--bar|--area] [--stack]`: draws the series files
// as the graph window would (later files added as further series) and saves the picture. Needs a
// QApplication. Returns 0 on success, 1 when the chart fails, 2 for a usage error.
int runChartCommand(const QStringList& args);

// Whether the command line runs the chart command, which needs the GUI libraries.
bool isChartCommand(int argc, char** argv);

} // namespace rp
