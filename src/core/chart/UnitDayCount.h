#pragma once

#include <QByteArrayView>
#include <array>
#include <optional>

namespace rp {

// The unit values on the day the first value's time rounds to (half-way to the even day number
// counted from 30 Dec 1899), as the hand-off counts them: what spaces the labels of a unit chart
// drawn from a file alone. Fed every data line in order; a line counts when it starts with a date
// field "dd MMM yyyy hh:mm" (English month, any case) on that day. A first line without one
// counts nothing.
class UnitDayCount {
public:
    void add(QByteArrayView line);
    int count() const { return m_count; }

private:
    std::optional<qint64> dayOf(QByteArrayView line);

    bool m_started = false;
    std::optional<qint64> m_firstDay;
    int m_count = 0;
    // The last date text read and its day: a day's values share it.
    std::array<char, 11> m_lastText{};
    std::optional<qint64> m_lastDay;
};

} // namespace rp
