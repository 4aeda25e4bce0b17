#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <algorithm>
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

// Twips drawn for one font and shown in another with wider characters: horizontal places and
// widths grow by a factor (never below 1), heights stay, so a row of controls keeps its
// proportions and its texts.
class TwipsScale {
public:
    TwipsScale() = default;
    explicit TwipsScale(double horizontal) : m_x(std::max(1.0, horizontal)) {}

    double horizontal() const { return m_x; }
    int x(int twips) const { return static_cast<int>(std::lround(twips * m_x / twipsPerPixel)); }
    int y(int twips) const { return twipsToPixels(twips); }
    // The twips a width in pixels stands for.
    int twipsOfWidth(int pixels) const {
        return static_cast<int>(std::lround(pixels * twipsPerPixel / m_x));
    }
    QRect rect(int left, int top, int width, int height) const {
        return {x(left), y(top), x(width), y(height)};
    }

private:
    double m_x = 1.0;
};

// The average character width, in pixels at 96 dots per inch, of the 8-point font the program's
// twips were drawn for.
inline constexpr double designAverageCharWidth = 5.0;

} // namespace rp
