#include "formats/readers/CsvReader.h"
#include "formats/readers/ReaderSupport.h"

#include <QRegularExpression>
#include <functional>

namespace rp::readers {

using namespace detail;

namespace {

constexpr int kSampleRows = 20;

enum class DateOrder { Iso, MonthDayYear, DayMonthYear, YearMonthDay, Format };

std::optional<int> number(QByteArrayView t) {
    if (t.isEmpty() || t.size() > 4)
        return std::nullopt;
    int v = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::optional<Stamp> parseOrdered(QByteArrayView text, DateOrder order) {
    text = trimmed(text);
    const qsizetype space = text.indexOf(' ');
    const QByteArrayView datePart = space < 0 ? text : text.first(space);
    const QByteArrayView timePart = space < 0 ? QByteArrayView() : trimmed(text.sliced(space));
    char sep = 0;
    for (char c : {'/', '.', '-'})
        if (datePart.count(c) == 2)
            sep = c;
    if (!sep)
        return std::nullopt;
    const QList<QByteArray> p = datePart.toByteArray().split(sep);
    std::optional<int> y, m, d;
    if (order == DateOrder::MonthDayYear)
        m = number(p[0]), d = number(p[1]), y = number(p[2]);
    else if (order == DateOrder::DayMonthYear)
        d = number(p[0]), m = number(p[1]), y = number(p[2]);
    else
        y = number(p[0]), m = number(p[1]), d = number(p[2]);
    if (!y || !m || !d || (order != DateOrder::YearMonthDay && p[2].size() != 4) ||
        (order == DateOrder::YearMonthDay && p[0].size() != 4))
        return std::nullopt;
    Stamp s;
    s.date = QDate(*y, *m, *d);
    if (!s.date.isValid())
        return std::nullopt;
    if (!timePart.isEmpty()) {
        const QList<QByteArray> t = timePart.toByteArray().split(':');
        const auto h = number(t.value(0)), mi = number(t.value(1));
        const auto se = t.size() > 2 ? number(t[2]) : std::optional<int>(0);
        if (t.size() > 3 || !h || !mi || !se || *mi > 59 || *se > 59 || *h > 24 ||
            (*h == 24 && (*mi || *se)))
            return std::nullopt;
        s.seconds = *h * 3600 + *mi * 60 + *se;
        s.hasTime = true;
    }
    return s;
}

struct DateParser {
    DateOrder order = DateOrder::Iso;
    QString format;
    std::optional<Stamp> operator()(QByteArrayView text) const {
        if (order == DateOrder::Iso)
            return parseIsoStamp(text);
        if (order != DateOrder::Format)
            return parseOrdered(text, order);
        const QDateTime t = QDateTime::fromString(QString::fromUtf8(trimmed(text)), format);
        if (!t.isValid())
            return std::nullopt;
        return Stamp{t.date(),
                     t.time().msecsSinceStartOfDay() / 1000,
                     format.contains(u'h', Qt::CaseInsensitive),
                     {}};
    }
};

char findDelimiter(const QList<QByteArrayView>& sample) {
    char best = ',';
    qsizetype bestFields = 1;
    for (char d : {',', ';', '\t', '|'}) {
        qsizetype fields = -1;
        for (QByteArrayView line : sample) {
            const qsizetype n = splitFields(line, d).size();
            fields = fields < 0 || n == fields ? n : 0;
        }
        if (fields > bestFields)
            best = d, bestFields = fields;
    }
    return best;
}

bool isQualifierName(const QString& name) {
    static const QRegularExpression names(
        u"^(flags?|qualifiers?|qual|quality|qc|code|status|grade|score)$|_cd$"_qs,
        QRegularExpression::CaseInsensitiveOption);
    return names.match(name.trimmed()).hasMatch();
}

bool isMissingText(QByteArrayView t) {
    t = trimmed(t);
    if (!t.isEmpty() && t.front() >= '0' && t.front() <= '9') // a number: asked once per value
        return false;
    for (const char* m : {"", "NA", "N/A", "NaN", "null", "-", "--"})
        if (t.compare(QByteArrayView(m), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// A number, or with a delimiter other than the comma, one with a decimal comma (1,5).
std::optional<double> parseValue(QByteArrayView text, char delimiter) {
    const auto value = parseNumber(text);
    if (value || delimiter == ',' || text.count(',') != 1 || text.contains('.'))
        return value;
    QByteArray dotted = text.toByteArray();
    dotted.replace(',', '.');
    return parseNumber(dotted);
}

void splitUnit(const QString& header, Series& s) {
    static const QRegularExpression bracket(u"^(.*?)\\s*[(\\[]([^)\\]]*)[)\\]]\\s*$"_qs);
    static const QRegularExpression suffix(
        u"^(.*)_(cfs|cms|ft|m|in|mm|af|m3s|deg_?c|degc|us_?cm)$"_qs,
        QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch m;
    if ((m = bracket.match(header)).hasMatch() || (m = suffix.match(header)).hasMatch()) {
        s.parameter = m.captured(1);
        s.unit = m.captured(2);
    } else {
        s.parameter = header;
    }
    s.parameterName = header;
}

} // namespace

ReadResult readCsv(QByteArrayView bytes, const ReadOptions& options) {
    Builder out(options);
    // The first lines decide the delimiter, the header, the date column and the date form.
    QList<QByteArrayView> sample;
    {
        Lines lines(bytes);
        while (sample.size() < kSampleRows + 1 && lines.next())
            if (!trimmed(lines.line()).isEmpty())
                sample.append(lines.line());
    }
    if (sample.isEmpty())
        return out.finish();
    const char delimiter =
        options.delimiter.isNull() ? findDelimiter(sample) : char(options.delimiter.toLatin1());
    QList<QList<QByteArray>> rows;
    for (QByteArrayView line : sample)
        rows.append(splitFields(line, delimiter));
    const qsizetype width = rows[0].size();

    std::optional<DateParser> parse;
    int dateColumn = options.dateColumn;
    bool header = false;
    QList<DateParser> parsers;
    if (!options.dateFormat.isEmpty())
        parsers.append(DateParser{DateOrder::Format, options.dateFormat});
    else
        for (DateOrder o : {DateOrder::Iso, DateOrder::MonthDayYear, DateOrder::DayMonthYear,
                            DateOrder::YearMonthDay})
            parsers.append(DateParser{o, {}});
    for (int skip : {0, 1}) { // without, then with a header row
        for (const DateParser& p : parsers) {
            for (int c = 0; c < width && !parse; ++c) {
                if (dateColumn >= 0 && c != dateColumn)
                    continue;
                bool all = rows.size() > skip;
                for (qsizetype r = skip; r < rows.size() && all; ++r)
                    all = p(rows[r].value(c)).has_value();
                if (all)
                    parse = p, dateColumn = c, header = skip == 1;
            }
        }
        if (parse)
            break;
    }
    if (!parse)
        throw ReadError(u"No column of dates found in the first lines: "_qs + quoted(sample[0]));

    // Value columns, and the qualifier column that follows each.
    QList<int> seriesOf(width, -1), qualifierOf(width, -1);
    int lastValue = -1;
    for (int c = 0; c < width; ++c) {
        if (c == dateColumn)
            continue;
        const QString name = header ? QString::fromUtf8(rows[0][c]).trimmed()
                                    : QStringLiteral("Column %1").arg(c + 1);
        bool numeric = false;
        for (qsizetype r = header ? 1 : 0; r < rows.size(); ++r)
            numeric = numeric || parseValue(rows[r].value(c), delimiter).has_value();
        if (isQualifierName(name) || !numeric) {
            if (lastValue >= 0 && qualifierOf[lastValue] < 0)
                qualifierOf[lastValue] = c;
            continue;
        }
        Series s;
        splitUnit(name, s);
        seriesOf[c] = out.addSeries(s, Builder::StepFrom::Spacing);
        lastValue = c;
    }

    Lines lines(bytes);
    bool first = true;
    FieldViews fields;
    while (lines.next()) {
        const QByteArrayView line = lines.line();
        if (trimmed(line).isEmpty())
            continue;
        if (first && header) {
            first = false;
            continue;
        }
        first = false;
        fields.split(line, delimiter);
        const auto stamp = (*parse)(fields.value(dateColumn));
        if (!stamp) {
            out.warn(WarningKind::BadDate, lines.number(),
                     u"A date that does not read, row skipped: "_qs + quoted(line));
            continue;
        }
        if (fields.size() < width)
            out.warn(WarningKind::MissingColumns, lines.number(),
                     u"Fewer fields than the first line: "_qs + quoted(line));
        for (int c = 0; c < width && c < fields.size(); ++c) {
            if (seriesOf[c] < 0 || isMissingText(fields[c]))
                continue;
            const auto value = parseValue(fields[c], delimiter);
            if (!value) {
                out.warn(WarningKind::BadValue, lines.number(),
                         u"Not a number, skipped: "_qs + quoted(fields[c]));
                continue;
            }
            const QByteArrayView q = fields.value(qualifierOf[c]);
            out.add(seriesOf[c], *stamp, *value, out.qualifier(q), lines.number());
        }
    }
    return out.finish();
}

} // namespace rp::readers
