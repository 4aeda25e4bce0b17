#include "core/hdb/DatePresets.h"

#include "core/base/Error.h"

#include <array>

namespace rp {

namespace {

const std::array<const char*, datePresetCount> captions{
    "Current day",        "Yesterday and today", "Last 7 days",   "Last 30 days",
    "Month to date",      "Year to date",        "Previous year", "Last Month to date",
    "Current water year", "Previous water year"};

void checkIndex(int index) {
    if (index < 0 || index >= datePresetCount)
        throw Error(QStringLiteral("There is no date preset number %1.").arg(index));
}

} // namespace

QString datePresetCaption(int index) {
    checkIndex(index);
    return QLatin1String(captions[static_cast<size_t>(index)]);
}

DateRange datePreset(int index, QDate today) {
    checkIndex(index);
    const QDate monthStart(today.year(), today.month(), 1);
    switch (index) {
    case 0:
        return {today, today};
    case 1:
        return {today.addDays(-1), today};
    case 2:
        return {today.addDays(-6), today};
    case 3:
        return {today.addDays(-29), today};
    case 4:
        return {monthStart, today};
    case 5:
        return {QDate(today.year(), 1, 1), today};
    case 6:
        return {QDate(today.year() - 1, 1, 1), QDate(today.year() - 1, 12, 31)};
    case 7:
        return {monthStart.addMonths(-1), today};
    default: {
        // A water year is named by the year it ends in; October begins the next one.
        const int waterYear = (today.month() >= 10 ? today.year() + 1 : today.year()) - (index - 8);
        return {QDate(waterYear - 1, 10, 1), QDate(waterYear, 9, 30)};
    }
    }
}

} // namespace rp
