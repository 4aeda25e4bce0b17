#include "core/base/LineExcerpt.h"

namespace rp {

QString lineExcerpt(QStringView line) {
    constexpr qsizetype most = 80;
    if (line.size() <= most)
        return line.toString();
    return line.first(most).toString() + QStringLiteral("...");
}

} // namespace rp
