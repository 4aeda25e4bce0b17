#pragma once

#include <QString>

namespace rp {

// The navigator's record position with the pattern "###,###,###": digits in groups of three
// separated by commas, nothing at all for 0.
QString positionCaption(qint64 position);

} // namespace rp
