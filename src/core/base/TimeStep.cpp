#include "core/base/TimeStep.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"

namespace rp {

namespace {

const std::array<TimeStepInfo, timeStepCount> steps{{
    {TimeStep::Year, "Year", "ryear", true, "y", false, "ANNUALY", "0 "},
    {TimeStep::Month, "Month", "rmonth", true, "m", false, "MONTHLY", "1 "},
    {TimeStep::Day, "Day", "rday", true, "d", false, "DAILY", "2 "},
    {TimeStep::Hour, "Hour", "rhour", true, "h", true, "HOURLY", "3 "},
    {TimeStep::Unit, "Unit", "runit", true, "n", true, "UNIT VALUES", "4 "},
    {TimeStep::DayMax, "DayMax", "rdaymax", false, "d", true, "DAILY MAXIMUM", "5 "},
    {TimeStep::DayMin, "DayMin", "rdaymin", false, "d", true, "DAILY MINIMUM", "6 "},
    {TimeStep::UnitShift, "UnitShift", "runitshift", true, "n", true, "UNIT SHIFT", "7 "},
}};

// Month m is the three characters at position 3 * m (counted from 1).
constexpr QStringView monthTable = u"  JanFebMarAprMayJunJulAugSepOctNovDec";

} // namespace

const std::array<TimeStepInfo, timeStepCount>& timeSteps() {
    return steps;
}

const TimeStepInfo& timeStepInfo(TimeStep step) {
    return steps[static_cast<size_t>(step)];
}

TimeStep timeStepFromIndex(int index) {
    if (index < 0 || index >= timeStepCount)
        throw Error(QStringLiteral("There is no time step number %1.").arg(index));
    return static_cast<TimeStep>(index);
}

QString monthAbbreviation(int month) {
    if (month < 1 || month > 12)
        return {};
    return monthTable.mid(3 * month - 1, 3).toString();
}

int monthFromAbbreviation(QStringView text) {
    if (text.size() != 3)
        return 0;
    for (int m = 1; m <= 12; ++m)
        if (monthTable.mid(3 * m - 1, 3).compare(text, Qt::CaseInsensitive) == 0)
            return m;
    return 0;
}

QString jetDateText(QDate date) {
    return QStringLiteral("%1-%2-%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(monthAbbreviation(date.month()))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString retrievalUpperBound(TimeStep step, const QString& endDate) {
    const QString end = endDate.trimmed();
    if (!timeStepInfo(step).endDateMovedOn)
        return end;
    const auto when = parseJetDateTime(end);
    if (!when)
        throw Error(QStringLiteral("The end date \"%1\" is not a date.").arg(end));
    return jetDateText(when->date().addDays(1));
}

QString retrievalStatement(TimeStep step, const QString& key, const QString& start,
                           const QString& upperBound) {
    const TimeStepInfo& info = timeStepInfo(step);
    const QString head =
        info.allColumns ? QStringLiteral("SELECT * FROM ")
                        : QStringLiteral("SELECT datatype_site_id, date_time, value, source FROM ");
    return head + QLatin1String(info.table) + QStringLiteral(" WHERE datatype_site_id=") +
           key.trimmed() + QStringLiteral(" AND date_time BETWEEN #") + start.trimmed() +
           QStringLiteral("# AND #") + upperBound + QStringLiteral("# ORDER BY date_time;");
}

QString worksheetName(const QString& table) {
    return QLatin1Char('[') + table + QStringLiteral("$]");
}

} // namespace rp
