#include "core/reports/ReportText.h"

namespace rp {

QString rightAligned(QStringView text, int width) {
    if (text.size() >= width)
        return text.first(width).toString();
    return QString(width - text.size(), u' ') + text.toString();
}

QString monthName(int month) {
    static const char* const names[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(names[month - 1]) : QString();
}

QString stationPrefix(const QString& stationId) {
    if (stationId == u"1")
        return QStringLiteral("WU-");
    if (stationId == u"2")
        return QStringLiteral("USGS-");
    if (stationId == u"3")
        return QStringLiteral("CDEC-");
    if (stationId == u"4")
        return QStringLiteral("USCS-");
    return QString();
}

QString emptyFields(int count) {
    return emptyField.repeated(count);
}

bool isDataCell(QStringView cell) {
    return !cell.isEmpty() && !cell.contains(u"--");
}

} // namespace rp
