#include "core/base/IsoDateTime.h"

namespace rp {

std::optional<qint64> isoDateTimeMSecs(QByteArrayView text) {
    return IsoDateReader().read(text.data(), text.size());
}

} // namespace rp
