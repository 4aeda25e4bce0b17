#include "core/export/AcreFeet.h"

#include "core/base/Error.h"
#include "core/base/LineExcerpt.h"
#include "core/base/SaveFile.h"
#include "core/hdb/Retrieval.h"
#include "core/reports/NumberFormat.h"

#include <QFile>
#include <cmath>

namespace rp {

namespace {

constexpr double cfsDay = 1.9835;
constexpr QStringView monthTable = u"   JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";

[[noreturn]] void fail(int line, const QString& what) {
    throw Error(QStringLiteral("Line %1 of the series file: %2").arg(line).arg(what));
}

// Splits 8-bit text into lines at LF, dropping a CR before it; a final line end adds no line.
QList<QByteArray> splitLines(const QByteArray& in) {
    QList<QByteArray> lines = in.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

double monthFactor(const QString& line, int number) {
    if (line.size() < 6)
        return 1;
    const qsizetype at = monthTable.indexOf(QStringView(line).mid(3, 3));
    if (at < 3 || at % 3 != 0)
        return 1;
    const int month = static_cast<int>(at / 3);
    // Four characters give at most 9999, unless they hold an exponent ("1d99").
    const double year = leadingNumber(QStringView(line).mid(7, 4));
    if (!(std::fabs(year) < 10000))
        fail(number, QStringLiteral("\"%1\" is not a year.").arg(line.mid(7, 4)));
    return acreFeetMonthDays(month, static_cast<int>(year));
}

QString volumeText(double value) {
    const double magnitude = std::fabs(value);
    if (magnitude < 0.95)
        return formatNumber(value, u"######0.00");
    if (magnitude < 9.5)
        return formatNumber(value, u"#######0.0");
    return formatNumber(value, u"#########0");
}

} // namespace

int acreFeetMonthDays(int month, int year) {
    switch (month) {
    case 2:
        return year % 4 == 0 ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return month >= 1 && month <= 12 ? 31 : 0;
    }
}

bool convertToAcreFeet(const QByteArray& in, QByteArray& out) {
    out.clear();
    const QList<QByteArray> lines = splitLines(in);
    if (lines.size() < 2)
        fail(lines.size() + 1, QStringLiteral("the header line is missing."));
    const QString line1 = QString::fromLatin1(lines[0]);
    if (line1.isEmpty() || line1[0] < QLatin1Char('0') || line1[0] > QLatin1Char('7'))
        fail(1, QStringLiteral("it does not begin with a time-step code 0 to 7."));
    const int code = line1[0].digitValue();
    const int width = code == 3 || code == 4 ? 18 : 12;
    const double factor = code == 3 || code == 4 ? cfsDay / 24 : cfsDay;

    const QString line2 = QString::fromLatin1(lines[1]);
    const qsizetype cfs = line2.indexOf(QLatin1String("CFS"), 0, Qt::CaseSensitive);
    if (cfs < 0)
        return false;

    QByteArray result;
    result.reserve(in.size() + 64);
    result += lines[0] + "\r\n";
    result += (line2.left(cfs) + QLatin1String("ACRE-FEET")).toLatin1() + "\r\n";
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        const QString line = QString::fromLatin1(lines[i]);
        if (line.trimmed().isEmpty()) {
            result += "\r\n";
            continue;
        }
        // An editor may have dropped the date field's trailing space.
        if (line.size() < width - 1)
            fail(number,
                 QStringLiteral("\"%1\" is too short for its date field.").arg(lineExcerpt(line)));
        result += line.left(width).toLatin1();
        const QString text = line.mid(width).trimmed();
        if (!text.isEmpty()) {
            bool ok = false;
            double value = text.toDouble(&ok);
            if (!ok || !std::isfinite(value))
                fail(number, QStringLiteral("\"%1\" is not a number.").arg(lineExcerpt(text)));
            value *= factor;
            if (code == 1)
                value *= monthFactor(line, number);
            result += volumeText(value).toLatin1();
        }
        result += "\r\n";
    }
    out = std::move(result);
    return true;
}

bool convertFileToAcreFeet(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The file %1 cannot be read: %2").arg(path, in.errorString()));
    QByteArray converted;
    if (!convertToAcreFeet(in.readAll(), converted))
        return false;
    in.close();
    saveFile(path, converted);
    return true;
}

} // namespace rp
