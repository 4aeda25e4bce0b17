#pragma once

#include "core/base/CivilDays.h"

#include <QByteArrayView>
#include <cstring>
#include <optional>

namespace rp {

// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS" (optionally with a fraction of a
// second) as naive milliseconds since 1970-01-01; nothing for anything else, including dates that
// are not on the calendar.
std::optional<qint64> isoDateTimeMSecs(QByteArrayView text);

namespace iso_detail {

inline bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

inline int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

inline bool digits(const char* p, int n, int& out) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const unsigned c = unsigned(p[i]) - '0';
        if (c > 9)
            return false;
        v = v * 10 + int(c);
    }
    out = v;
    return true;
}

// "YYYY-MM-DD" as days since 1970-01-01.
inline std::optional<qint64> isoDay(const char* p) {
    int y, mo, d;
    if (!digits(p, 4, y) || p[4] != '-' || !digits(p + 5, 2, mo) || p[7] != '-' ||
        !digits(p + 8, 2, d))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo))
        return std::nullopt;
    return daysFromCivil(y, unsigned(mo), unsigned(d));
}

// What follows the day: nothing, " HH:MM", " HH:MM:SS" or " HH:MM:SS.fff…", as milliseconds.
inline std::optional<qint64> isoTimeOfDay(const char* p, qsizetype n) {
    if (n == 0)
        return 0;
    int h, mi, s = 0, ms = 0;
    if (n < 6 || p[0] != ' ' || !digits(p + 1, 2, h) || p[3] != ':' || !digits(p + 4, 2, mi))
        return std::nullopt;
    if (n > 6) {
        if (n < 9 || p[6] != ':' || !digits(p + 7, 2, s))
            return std::nullopt;
        if (n > 9) {
            // A fraction of a second: milliseconds from its first three digits.
            if (p[9] != '.' || n == 10)
                return std::nullopt;
            int scale = 100;
            for (qsizetype i = 10; i < n; ++i) {
                const unsigned c = unsigned(p[i]) - '0';
                if (c > 9)
                    return std::nullopt;
                ms += int(c) * scale;
                scale /= 10;
            }
        }
    }
    if (h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    return ((qint64(h) * 60 + mi) * 60 + s) * 1000 + ms;
}

// Rows of a series mostly share their day with the row before: its day number is kept.
class IsoDateReader {
public:
    std::optional<qint64> read(const char* text, qsizetype n) {
        if (n < 10)
            return std::nullopt;
        if (!m_known || std::memcmp(text, m_dayText, 10) != 0) {
            const auto day = isoDay(text);
            if (!day)
                return std::nullopt;
            std::memcpy(m_dayText, text, 10);
            m_day = *day;
            m_known = true;
        }
        const auto time = isoTimeOfDay(text + 10, n - 10);
        if (!time)
            return std::nullopt;
        return m_day * msecsPerDay + *time;
    }

private:
    char m_dayText[10] = {};
    qint64 m_day = 0;
    bool m_known = false;
};

} // namespace iso_detail

using iso_detail::IsoDateReader;

} // namespace rp
