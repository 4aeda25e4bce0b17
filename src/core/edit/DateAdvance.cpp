#include "core/edit/DateAdvance.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"

namespace rp {

namespace {

QDateTime readDate(const QString& text) {
    if (auto dt = parseJetDateTime(text.trimmed()))
        return *dt;
    if (auto dt = parseIsoDateTime(text.trimmed()))
        return *dt;
    throw Error(
        QStringLiteral("\"%1\" is not a date: the next time step cannot be worked out.").arg(text));
}

} // namespace

QDateTime advanceDateTime(const QDateTime& dateTime, const QString& interval, qint64 count) {
    if (interval == QLatin1String("y"))
        return dateTime.addYears(int(count));
    if (interval == QLatin1String("m"))
        return dateTime.addMonths(int(count));
    if (interval == QLatin1String("d"))
        return dateTime.addDays(count);
    if (interval == QLatin1String("h"))
        return dateTime.addSecs(count * 3600);
    if (interval == QLatin1String("n"))
        return dateTime.addSecs(count * 60);
    if (interval.isEmpty())
        throw Error(QStringLiteral("The time step of this result is not known. Retrieve the "
                                   "series with GO to insert rows automatically."));
    throw Error(QStringLiteral("\"%1\" is not a time step interval.").arg(interval));
}

QString advanceDateText(const QString& text, const QString& interval, qint64 count) {
    return gridDateTimeText(advanceDateTime(readDate(text), interval, count));
}

QString nextDayText(const QString& text) {
    return gridDateTimeText(naiveDateTime(readDate(text).date().addDays(1)));
}

} // namespace rp
