#include "core/chart/UnitDayCount.h"

#include "core/base/CivilDays.h"
#include "core/base/TimeStep.h"

#include <QDate>
#include <cstring>

namespace rp {

namespace {

constexpr qsizetype fieldWidth = 17; // "dd MMM yyyy hh:mm"
constexpr qsizetype dateWidth = 11;  // "dd MMM yyyy"
constexpr int mostPerDay = 32767;

bool digits(QByteArrayView text, qsizetype at, qsizetype n, int& number) {
    number = 0;
    for (qsizetype i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        number = number * 10 + (text[i] - '0');
    }
    return true;
}

// The day number of the "dd MMM yyyy" that starts `line`.
std::optional<qint64> dateDay(QByteArrayView line) {
    int day = 0;
    int year = 0;
    if (!digits(line, 0, 2, day) || line[2] != ' ' || line[6] != ' ' || !digits(line, 7, 4, year))
        return std::nullopt;
    const char16_t name[3] = {char16_t(uchar(line[3])), char16_t(uchar(line[4])),
                              char16_t(uchar(line[5]))};
    const int month = monthFromAbbreviation(QStringView(name, 3));
    if (month == 0 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return daysFromCivil(year, unsigned(month), unsigned(day));
}

// Minutes into the day of the " hh:mm" after the date.
std::optional<int> timeMinutes(QByteArrayView line) {
    int hour = 0;
    int minute = 0;
    if (line[dateWidth] != ' ' || !digits(line, 12, 2, hour) || line[14] != ':' ||
        !digits(line, 15, 2, minute) || hour > 23 || minute > 59)
        return std::nullopt;
    return hour * 60 + minute;
}

} // namespace

std::optional<qint64> UnitDayCount::dayOf(QByteArrayView line) {
    if (line.size() < fieldWidth || !timeMinutes(line))
        return std::nullopt;
    if (!m_lastDay || std::memcmp(m_lastText.data(), line.data(), dateWidth) != 0) {
        std::memcpy(m_lastText.data(), line.data(), dateWidth);
        m_lastDay = dateDay(line);
    }
    return m_lastDay;
}

void UnitDayCount::add(QByteArrayView line) {
    if (!m_started) {
        m_started = true;
        const auto day = dayOf(line);
        if (!day)
            return;
        const int minutes = *timeMinutes(line);
        constexpr int noon = 720;
        constexpr qint64 daysFrom1899 = -daysFromCivil(1899, 12, 30);
        const bool evenDay = (*day + daysFrom1899) % 2 == 0;
        m_firstDay = minutes > noon || (minutes == noon && !evenDay) ? *day + 1 : *day;
    }
    if (m_firstDay && m_count < mostPerDay && dayOf(line) == m_firstDay)
        ++m_count;
}

} // namespace rp
