#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cmath>

namespace rp {

// Layout measures are twips: 1440 twips are one inch, 96 device-independent pixels.
inline constexpr int twipsPerPixel = 15;

inline int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixel));
}
inline int pixelsToTwips(int pixels) {
    return pixels * twipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace rp
