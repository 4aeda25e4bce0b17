#include "formats/readers/ReadOptions.h"

#include "formats/readers/ReaderSupport.h"

namespace rp::readers {

std::optional<int> utcOffsetMinutes(QStringView text) {
    QStringView t = text.trimmed();
    if (t.size() <= 5) // a zone code the files use: EST, CDT, UTC …
        if (const auto zone = detail::zoneCode(t.toLatin1()))
            return zone->offsetMinutes;
    if (t.startsWith(u"UTC", Qt::CaseInsensitive) || t.startsWith(u"GMT", Qt::CaseInsensitive))
        t = t.mid(3).trimmed();
    if (t.isEmpty() || t.compare(u"Z", Qt::CaseInsensitive) == 0)
        return text.trimmed().isEmpty() ? std::nullopt : std::optional<int>(0);
    int sign = 1;
    if (t.front() == u'+' || t.front() == u'-') {
        sign = t.front() == u'-' ? -1 : 1;
        t = t.mid(1);
    }
    QStringView hours = t, minutes;
    if (const qsizetype colon = t.indexOf(u':'); colon >= 0) {
        hours = t.first(colon);
        minutes = t.mid(colon + 1);
        if (minutes.size() != 2)
            return std::nullopt;
    } else if (t.size() == 4) { // "0530"
        hours = t.first(2);
        minutes = t.mid(2);
    }
    if (hours.isEmpty() || hours.size() > 2)
        return std::nullopt;
    for (QChar c : t)
        if (!c.isDigit() && c != u':')
            return std::nullopt;
    const int h = hours.toInt();
    const int m = minutes.isEmpty() ? 0 : minutes.toInt();
    if (m >= 60 || h * 60 + m > 14 * 60)
        return std::nullopt;
    return sign * (h * 60 + m);
}

} // namespace rp::readers
