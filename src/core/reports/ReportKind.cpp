#include "core/reports/ReportKind.h"

#include "core/base/Error.h"

namespace rp {

ReportKind reportKindOf(const QString& header1) {
    const QChar code = header1.isEmpty() ? QChar() : header1.front();
    switch (code.unicode()) {
    case u'0':
    case u'1':
        return ReportKind::Monthly;
    case u'2':
    case u'5':
    case u'6':
        return ReportKind::Daily;
    case u'3':
        return ReportKind::Hourly;
    case u'4':
    case u'7':
        throw Error(QStringLiteral("There is no table for unit values."));
    default:
        throw Error(QStringLiteral("Line 1 of the series file does not start with a time-step "
                                   "code (0 to 7)."));
    }
}

ParameterKind ParameterKind::of(const QString& header2) {
    const auto has = [&](const char16_t* word) { return header2.contains(QStringView(word)); };
    ParameterKind kind;
    kind.flow = has(u"CFS");
    kind.twoDecimals = has(u"PRESSURE") || has(u"INCHES") || has(u"FT") || has(u"DIRECTION");
    kind.waterTemp = has(u"WATER TEMP");
    kind.direction = has(u"DIRECTION");
    return kind;
}

} // namespace rp
