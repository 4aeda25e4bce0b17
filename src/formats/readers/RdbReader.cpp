#include "formats/readers/RdbReader.h"
#include "formats/readers/ReaderSupport.h"

#include <QRegularExpression>

namespace rp::readers {

using namespace detail;

namespace {

// Units of the common NWIS parameter codes; others take theirs from the description.
QString unitOfParameter(const QString& code, const QString& description) {
    static const QHash<QString, QString> units = {
        {u"00060"_qs, u"cfs"_qs},   {u"00065"_qs, u"ft"_qs},    {u"00045"_qs, u"in"_qs},
        {u"00010"_qs, u"deg C"_qs}, {u"00095"_qs, u"uS/cm"_qs}, {u"00062"_qs, u"ft"_qs}};
    const QString unit = units.value(code);
    if (!unit.isEmpty())
        return unit;
    QString d = description;
    d.remove(QRegularExpression(u"\\s*\\([^)]*\\)\\s*$"_qs));
    const qsizetype comma = d.lastIndexOf(u',');
    return comma < 0 ? QString() : d.mid(comma + 1).trimmed();
}

struct Column {
    int value = -1;
    int qualifier = -1;
    QString name;
    QString parameter;
    QString statistic;
    QString description;
};

// What the "#" block before a header says: site names and the descriptions of the columns.
struct Comments {
    QHash<QString, QString> siteNames;
    QHash<QString, QString> descriptions; // by TS_ID/DD + parameter + statistic
};

void readComment(const QString& text, Comments& comments) {
    static const QRegularExpression site(u"^#\\s+USGS\\s+(\\d+)\\s+(\\S.*?)\\s*$"_qs);
    static const QRegularExpression daily(
        u"^#\\s+(\\d+)\\s+(\\d{5})\\s+(\\d{5})\\s+\\d+\\s+(\\S.*?)\\s*$"_qs);
    static const QRegularExpression instant(u"^#\\s+(\\d+)\\s+(\\d{5})\\s+(\\S.*?)\\s*$"_qs);
    QRegularExpressionMatch m;
    if ((m = site.match(text)).hasMatch())
        comments.siteNames.insert(m.captured(1), m.captured(2));
    else if ((m = daily.match(text)).hasMatch())
        comments.descriptions.insert(m.captured(1) + u'_' + m.captured(2) + u'_' + m.captured(3),
                                     m.captured(4));
    else if ((m = instant.match(text)).hasMatch())
        comments.descriptions.insert(m.captured(1) + u'_' + m.captured(2), m.captured(3));
}

struct Header {
    int site = -1, date = -1, zone = -1;
    QList<Column> columns;
};

Header readHeader(const QList<QByteArray>& names, const Comments& comments) {
    Header h;
    QHash<QString, int> index;
    for (int i = 0; i < names.size(); ++i)
        index.insert(QString::fromUtf8(names[i]).trimmed(), i);
    h.site = index.value(u"site_no"_qs, -1);
    h.zone = index.value(u"tz_cd"_qs, -1);
    for (const char* name : {"datetime", "dv_dt", "date"})
        if (h.date < 0)
            h.date = index.value(QString::fromLatin1(name), -1);
    static const QRegularExpression daily(u"^(\\d+)_(\\d{5})_(\\d{5})$"_qs);
    static const QRegularExpression instant(u"^(\\d+)_(\\d{5})$"_qs);
    for (int i = 0; i < names.size(); ++i) {
        const QString name = QString::fromUtf8(names[i]).trimmed();
        Column c{i, index.value(name + u"_cd"_qs, -1), name, {}, {}, {}};
        QRegularExpressionMatch m;
        if (name == u"dv_va") {
            c.qualifier = index.value(u"dv_cd"_qs, -1);
            c.parameter = u"00060"_qs;
            c.statistic = u"00003"_qs;
            c.description = u"Discharge, cubic feet per second (Mean)"_qs;
        } else if ((m = daily.match(name)).hasMatch()) {
            c.parameter = m.captured(2);
            c.statistic = m.captured(3);
        } else if ((m = instant.match(name)).hasMatch()) {
            c.parameter = m.captured(2);
        } else {
            continue;
        }
        if (c.description.isEmpty())
            c.description = comments.descriptions.value(name);
        h.columns.append(c);
    }
    return h;
}

// The row after the header gives each column's width and type: "5s", "20d", "14n".
bool isTypeRow(const FieldViews& fields) {
    for (QByteArrayView f : fields) {
        f = trimmed(f);
        if (f.size() < 2 || !(f.back() == 's' || f.back() == 'd' || f.back() == 'n'))
            return false;
        for (char c : f.chopped(1))
            if (c < '0' || c > '9')
                return false;
    }
    return !fields.isEmpty();
}

} // namespace

ReadResult readRdb(QByteArrayView bytes, const ReadOptions& options) {
    Builder out(options);
    Lines lines(bytes);
    Comments comments;
    Header header;
    bool haveHeader = false;
    QHash<QString, int> seriesOf; // site + column name
    QHash<QByteArray, bool> unknownZones;
    FieldViews fields;
    QByteArray lastSite; // null: no site yet under this header
    QString site;
    QList<int> seriesOfColumn;
    const auto seriesIndex = [&](const QString& site, const Column& c, std::optional<int> standard,
                                 bool instant) {
        const QString key = site + u'\t' + c.name;
        int index = seriesOf.value(key, -1);
        if (index < 0) {
            Series s;
            s.siteId = site;
            s.siteName = comments.siteNames.value(site);
            s.parameter = c.parameter;
            QString name = c.description;
            name.remove(QRegularExpression(u"\\s*\\([^)]*\\)\\s*$"_qs));
            s.parameterName = name;
            s.unit = unitOfParameter(c.parameter, c.description);
            s.statistic = c.statistic.isEmpty() ? QString() : statisticName(c.statistic);
            s.standardOffsetMinutes = standard;
            index = out.addSeries(s, instant ? Builder::StepFrom::SpacingInstantaneous
                                             : Builder::StepFrom::File);
            seriesOf.insert(key, index);
        }
        return index;
    };
    while (lines.next()) {
        const QByteArrayView line = lines.line();
        if (line.startsWith('#')) {
            if (haveHeader) { // a new site block begins; the names of the sites stay
                comments.descriptions.clear();
                haveHeader = false;
                lastSite = QByteArray();
            }
            readComment(QString::fromUtf8(line), comments);
            continue;
        }
        if (trimmed(line).isEmpty())
            continue;
        fields.split(line, '\t');
        if (fields[0] == "agency_cd") {
            header = readHeader(splitFields(line, '\t'), comments);
            haveHeader = header.date >= 0;
            if (!haveHeader)
                out.warn(WarningKind::NonDataLine, lines.number(),
                         u"A header without a date column: "_qs + quoted(line));
            lastSite = QByteArray();
            continue;
        }
        if (!haveHeader || isTypeRow(fields))
            continue;
        const QByteArrayView agency = trimmed(fields[0]);
        if (fields.size() <= header.date || agency.isEmpty() || agency.contains('<') ||
            agency.contains(' ')) {
            out.warn(WarningKind::NonDataLine, lines.number(),
                     u"Not a data line, skipped: "_qs + quoted(line));
            continue;
        }
        const auto stamp0 = parseIsoStamp(fields[header.date]);
        if (!stamp0) {
            out.warn(WarningKind::BadDate, lines.number(),
                     u"A date that does not read, row skipped: "_qs + quoted(line));
            continue;
        }
        Stamp stamp = *stamp0;
        std::optional<int> standard;
        if (header.zone >= 0) {
            const QByteArrayView code = trimmed(fields.value(header.zone));
            if (const auto zone = zoneCode(code)) {
                stamp.offsetMinutes = zone->offsetMinutes;
                standard = zone->standardOffsetMinutes;
            } else if (!unknownZones.contains(code.toByteArray())) {
                unknownZones.insert(code.toByteArray(), true);
                out.warn(WarningKind::UnknownZone, lines.number(),
                         u"Unknown time-zone code, times taken as standard time: "_qs +
                             quoted(code));
            }
        }
        if (!header.columns.isEmpty() && fields.size() <= header.columns.last().value)
            out.warn(WarningKind::MissingColumns, lines.number(),
                     u"Fewer fields than the header names: "_qs + quoted(line));
        // Lines come in runs of one site: its text and series are looked up once per run.
        const QByteArrayView siteBytes = trimmed(fields.value(header.site));
        if (siteBytes != lastSite || lastSite.isNull()) {
            lastSite = siteBytes.toByteArray();
            if (lastSite.isNull())
                lastSite = QByteArray(""); // an empty site is a site too
            site = QString::fromUtf8(siteBytes);
            seriesOfColumn.fill(-1, header.columns.size());
        }
        for (qsizetype ci = 0; ci < header.columns.size(); ++ci) {
            const Column& c = header.columns[ci];
            const QByteArrayView text = trimmed(fields.value(c.value));
            if (text.isEmpty())
                continue;
            const auto value = parseNumber(text);
            if (!value) {
                out.warn(WarningKind::BadValue, lines.number(),
                         QStringLiteral("%1: not a number, skipped: ")
                                 .arg(c.name.left(kMaxQuotedChars)) +
                             quoted(text));
                continue;
            }
            int& index = seriesOfColumn[ci];
            if (index < 0)
                index = seriesIndex(site, c, standard, stamp.hasTime);
            out.add(index, stamp, *value, out.qualifier(fields.value(c.qualifier)), lines.number());
        }
    }
    return out.finish();
}

} // namespace rp::readers
