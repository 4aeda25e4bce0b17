#include "core/reports/Arctan2.h"

#include <cmath>

namespace rp {

namespace {
double sign(double v) {
    return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0);
}
} // namespace

double arctan2(double x, double y) {
    if (x == 0)
        return sign(y) * arctanHalfPi;
    if (x > 0)
        return std::atan(y / x);
    if (y != 0)
        return std::atan(y / x) + sign(y) * arctanPi;
    return arctanPi;
}

} // namespace rp
