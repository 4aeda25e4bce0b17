#pragma once

#include <QString>
#include <QStringView>

namespace rp {

// At most the first 80 characters of an offending line, for a message: a damaged file may hold
// a line of megabytes.
QString lineExcerpt(QStringView line);

} // namespace rp
