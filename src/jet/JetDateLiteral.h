#pragma once

#include <QDateTime>
#include <QStringView>
#include <optional>

namespace rp {

// Reads the text between # marks the way the Jet engine does: numeric dates month first
// (12/5/2026, 12-5-26) or year first (2026/12/05, 2026-12-05), dates with a month name long or
// short in any position the engine allows (1 Dec 2026, Dec 5, 2026, December 5, 2026, 5-Dec-26),
// each optionally followed by a time (13:45, 13:45:10, 1:30 PM), or a time alone (on day zero,
// 30-Dec-1899). Two-digit years fall in 1930-2029. Returns nothing for anything else, including
// dates that are not on the calendar.
std::optional<QDateTime> parseJetDateLiteral(QStringView text);

} // namespace rp
