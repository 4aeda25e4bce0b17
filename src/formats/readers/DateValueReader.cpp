#include "formats/readers/DateValueReader.h"
#include "formats/readers/ReaderSupport.h"

#include <QRegularExpression>
#include <cmath>

namespace rp::readers {

using namespace detail;

namespace {

std::optional<TimeStep> stepOfTsid(const QString& tsid) {
    static const QRegularExpression interval(u"^(\\d*)(minute|min|hour|day|month|year)$"_qs,
                                             QRegularExpression::CaseInsensitiveOption);
    for (const QString& part : tsid.split(u'.')) {
        const auto m = interval.match(part);
        if (!m.hasMatch())
            continue;
        const int count = m.captured(1).isEmpty() ? 1 : m.captured(1).toInt();
        const QString unit = m.captured(2).toLower();
        if (unit.startsWith(u"min"))
            return TimeStep{StepKind::Unit, count == 15 || count == 30 || count == 60 ? count : 0};
        if (count != 1)
            return TimeStep{StepKind::Unit, 0};
        if (unit == u"hour")
            return TimeStep{StepKind::Hour, 0};
        if (unit == u"day")
            return TimeStep{StepKind::Day, 0};
        return TimeStep{unit == u"month" ? StepKind::Month : StepKind::Year, 0};
    }
    return std::nullopt;
}

struct Header {
    QHash<QString, QList<QByteArray>> keys;
    QList<QByteArray> list(const char* key, qsizetype n) const {
        QList<QByteArray> v = keys.value(QString::fromLatin1(key));
        if (v.size() == 1 && n > 1) // one value written for all series
            v = QList<QByteArray>(n, v[0]);
        v.resize(n);
        return v;
    }
};

bool isMissing(double v, std::optional<double> m) {
    return m && std::fabs(v - *m) <= 1e-9 * std::max(1.0, std::fabs(*m));
}

} // namespace

ReadResult readDateValue(QByteArrayView bytes, const ReadOptions& options) {
    Builder out(options);
    Lines lines(bytes);
    Header header;
    bool data = false, withTime = false;
    char delimiter = ' ';
    qsizetype n = 0;
    QList<int> index;
    QList<bool> flags;
    QList<std::optional<double>> missing;
    std::optional<ZoneCode> zone;
    FieldViews fields;
    QByteArray date;
    while (lines.next()) {
        const QByteArrayView line = lines.line();
        if (line.startsWith('#') || trimmed(line).isEmpty())
            continue;
        if (!data) {
            const qsizetype eq = line.indexOf('=');
            if (line.startsWith("Date") && (eq < 0 || line.indexOf('"') < eq)) {
                data = true;
                const QList<QByteArray> titles = splitFields(line, delimiter, delimiter == ' ');
                withTime = titles.value(1) == "Time";
                continue;
            }
            if (eq < 0) {
                out.warn(WarningKind::NonDataLine, lines.number(),
                         u"Not a header line, skipped: "_qs + quoted(line));
                continue;
            }
            const QString key = QString::fromUtf8(trimmed(line.first(eq)));
            const QByteArrayView value = trimmed(line.sliced(eq + 1));
            header.keys.insert(key, splitFields(value, ' ', true));
            if (key == u"Delimiter" && !header.keys[key].value(0).isEmpty())
                delimiter = header.keys[key][0][0];
            if (key != u"NumTS")
                continue;
            const auto count = parseNumber(value);
            if (!count || *count < 1 || *count != std::floor(*count))
                throw ReadError(u"NumTS is not a count of series: "_qs + quoted(line),
                                lines.number());
            if (*count > kMaxSeries)
                throw ReadError(
                    QStringLiteral("The file holds more than %1 series, more than one load takes.")
                        .arg(kMaxSeries),
                    lines.number());
            n = qsizetype(*count);
            continue;
        }
        if (index.isEmpty()) { // the header is complete: one series per TSID
            if (n == 0)
                n = std::max<qsizetype>(1, header.keys.value(u"TSID"_qs).size());
            const QList<QByteArray> tsid = header.list("TSID", n),
                                    desc = header.list("Description", n),
                                    type = header.list("DataType", n),
                                    units = header.list("Units", n),
                                    flagged = header.list("DataFlags", n);
            for (const QByteArray& m : header.list("MissingVal", n))
                missing.append(parseNumber(m));
            const QList<QByteArray> start = header.keys.value(u"Start"_qs);
            if (start.size() > 1 && !start.last().isEmpty() &&
                (start.last()[0] < '0' || start.last()[0] > '9')) {
                zone = zoneCode(start.last());
                if (!zone)
                    out.warn(WarningKind::UnknownZone, 0,
                             u"Unknown time-zone code, times taken as standard time: "_qs +
                                 quoted(start.last()));
            }
            for (qsizetype i = 0; i < n; ++i) {
                Series s;
                const QString id = QString::fromUtf8(tsid[i]);
                const QStringList parts = id.split(u'.');
                s.siteId = parts.value(0);
                s.siteName = QString::fromUtf8(desc[i]);
                if (s.siteName == s.siteId)
                    s.siteName.clear();
                s.parameter = QString::fromUtf8(type[i]);
                if (s.parameter.isEmpty())
                    s.parameter = parts.value(2);
                if (s.parameter.isEmpty())
                    s.parameter = id;
                s.parameterName = s.parameter;
                s.unit = QString::fromUtf8(units[i]);
                if (zone)
                    s.standardOffsetMinutes = zone->standardOffsetMinutes;
                const auto step = stepOfTsid(id);
                if (step)
                    s.step = *step;
                index.append(
                    out.addSeries(s, step ? Builder::StepFrom::File : Builder::StepFrom::Spacing));
                flags.append(flagged[i].compare("true", Qt::CaseInsensitive) == 0);
            }
        }
        fields.split(line, delimiter, delimiter == ' ');
        date.truncate(0); // keeps its room for the next line
        date += fields.value(0);
        qsizetype pos = 1;
        if (withTime) {
            date += ' ';
            date += fields.value(pos++);
        }
        auto stamp = parseIsoStamp(date);
        if (!stamp) {
            out.warn(WarningKind::BadDate, lines.number(),
                     u"A date that does not read, row skipped: "_qs + quoted(line));
            continue;
        }
        if (zone)
            stamp->offsetMinutes = zone->offsetMinutes;
        for (qsizetype i = 0; i < n; ++i) {
            if (pos >= fields.size()) {
                out.warn(WarningKind::MissingColumns, lines.number(),
                         u"Fewer fields than series: "_qs + quoted(line));
                break;
            }
            const QByteArrayView text = fields[pos++];
            const QByteArrayView flag = flags[i] ? fields.value(pos++) : QByteArrayView();
            if (text.compare("nan", Qt::CaseInsensitive) == 0 || trimmed(text).isEmpty())
                continue;
            const auto value = parseNumber(text);
            if (!value) {
                out.warn(WarningKind::BadValue, lines.number(),
                         u"Not a number, skipped: "_qs + quoted(text));
                continue;
            }
            if (isMissing(*value, missing[i]))
                continue;
            out.add(index[i], *stamp, *value, out.qualifier(flag), lines.number());
        }
    }
    return out.finish();
}

} // namespace rp::readers
