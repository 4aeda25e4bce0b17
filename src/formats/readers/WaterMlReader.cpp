#include "formats/readers/WaterMlReader.h"
#include "formats/readers/ReaderSupport.h"

#include <QXmlStreamReader>
#include <cmath>

namespace rp::readers {

using namespace detail;

namespace {

std::optional<int> zoneOffset(QStringView text) {
    const auto stamp = parseIsoStamp(QByteArray("2000-01-01T00:00") + text.toLatin1());
    return stamp ? stamp->offsetMinutes : std::nullopt;
}

struct Current {
    Series series;
    std::optional<double> noData;
    int index = -1;
};

} // namespace

ReadResult readWaterMl(QByteArrayView bytes, const ReadOptions& options) {
    checkInputSize(bytes.size());
    Builder out(options);
    QXmlStreamReader xml(bytes.toByteArray());
    std::optional<Current> ts;
    bool inVariable = false;
    const auto refuse = [&](const QString& why) {
        throw ReadError(QStringLiteral("WaterML line %1: %2").arg(xml.lineNumber()).arg(why),
                        xml.lineNumber());
    };
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == u"timeSeries")
                ts.reset();
            else if (xml.name() == u"variable")
                inVariable = false;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"timeSeries") {
            ts = Current{};
            continue;
        }
        if (!ts)
            continue;
        Series& s = ts->series;
        const auto attrs = xml.attributes();
        if (name == u"variable") {
            inVariable = true;
        } else if (name == u"siteName") {
            s.siteName = xml.readElementText().trimmed();
        } else if (name == u"siteCode") {
            s.siteId = xml.readElementText().trimmed();
        } else if (name == u"defaultTimeZone") {
            s.standardOffsetMinutes = zoneOffset(attrs.value(QLatin1String("zoneOffset")));
        } else if (name == u"variableCode") {
            s.parameter = xml.readElementText().trimmed();
        } else if (name == u"variableName") {
            s.parameterName = withCharacterReferences(xml.readElementText().trimmed());
        } else if (name == u"unitCode" && inVariable) {
            s.unit = xml.readElementText().trimmed();
        } else if (name == u"option" && attrs.value(QLatin1String("name")) == u"Statistic") {
            s.statistic = statisticName(attrs.value(QLatin1String("optionCode")).toString());
        } else if (name == u"noDataValue") {
            ts->noData = parseNumber(xml.readElementText().toLatin1());
        } else if (name == u"value") {
            const qsizetype line = xml.lineNumber();
            const QString when = attrs.value(QLatin1String("dateTime")).toString();
            const QString qualifier = attrs.value(QLatin1String("qualifiers")).toString();
            const QString text = xml.readElementText();
            const auto stamp = parseIsoStamp(when.toLatin1());
            if (!stamp) {
                out.warn(WarningKind::BadDate, line,
                         u"A dateTime that does not read, value skipped: "_qs +
                             quoted(when.toUtf8()));
                continue;
            }
            const auto value = parseNumber(text.toLatin1());
            if (!value) {
                if (!text.trimmed().isEmpty())
                    out.warn(WarningKind::BadValue, line,
                             u"Not a number, skipped: "_qs + quoted(text.toUtf8()));
                continue;
            }
            if (ts->noData && std::fabs(*value - *ts->noData) < 1e-9)
                continue;
            if (ts->index < 0)
                ts->index = out.addSeries(s, Builder::StepFrom::SpacingInstantaneous);
            out.add(ts->index, *stamp, *value, out.qualifier(qualifier.toUtf8()), line);
        }
    }
    if (xml.hasError())
        refuse(xml.errorString());
    return out.finish();
}

} // namespace rp::readers
