#pragma once

namespace rp {

// Turns wheel rotation into grid rows: 120 units are one notch, one notch is three rows, and what
// is not yet a whole notch is kept for the next turn.
class WheelAccumulator {
public:
    // Adds a wheel delta (positive: turned forward) and returns the rows to scroll by; negative
    // scrolls up.
    int add(int delta) {
        m_accumulator += delta;
        const int lines = m_accumulator / 120; // truncated toward zero
        m_accumulator %= 120;                  // keeps the sign of the dividend
        return -3 * lines;
    }
    int pending() const { return m_accumulator; }

private:
    int m_accumulator = 0;
};

} // namespace rp
