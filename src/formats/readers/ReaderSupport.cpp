#include "formats/readers/ReaderSupport.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

namespace rp::readers::detail {

QString quoted(QByteArrayView line) {
    QString text = QString::fromUtf8(line.first(std::min<qsizetype>(line.size(), kMaxQuotedChars)));
    for (QChar& c : text)
        if (c.unicode() < 0x20)
            c = u' ';
    return u'"' + text + (line.size() > kMaxQuotedChars ? u"…\""_qs : u"\""_qs);
}

void checkInputSize(qsizetype size) {
    if (size > kMaxInputBytes)
        throw ReadError(QStringLiteral("The file is larger than %1 MB, more than a data file "
                                       "this program reads.")
                            .arg(kMaxInputBytes / (1024 * 1024)));
}

bool Lines::next() {
    if (m_pos >= m_bytes.size())
        return false;
    qsizetype end = m_bytes.indexOf('\n', m_pos);
    if (end < 0)
        end = m_bytes.size();
    m_line = m_bytes.sliced(m_pos, end - m_pos);
    m_pos = end + 1;
    ++m_number;
    if (m_line.endsWith('\r'))
        m_line.chop(1);
    if (m_line.size() > kMaxLineLength)
        throw ReadError(QStringLiteral("Line %1 is longer than %2 characters: not a data file "
                                       "this program reads.")
                            .arg(m_number)
                            .arg(kMaxLineLength),
                        m_number);
    return true;
}

QByteArrayView trimmed(QByteArrayView text) {
    qsizetype b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r'))
        --e;
    return text.sliced(b, e - b);
}

std::optional<double> parseNumber(QByteArrayView text) {
    text = trimmed(text);
    if (text.startsWith('+'))
        text = text.sliced(1);
    if (text.isEmpty())
        return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

namespace {

// Reads exactly n digits at pos.
std::optional<int> digits(QByteArrayView t, qsizetype pos, int n) {
    if (pos + n > t.size())
        return std::nullopt;
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char c = t[pos + i];
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

} // namespace

std::optional<Stamp> parseIsoStamp(QByteArrayView t) {
    t = trimmed(t);
    const auto y = digits(t, 0, 4), mo = digits(t, 5, 2);
    if (!y || !mo || t.size() < 7 || t[4] != '-')
        return std::nullopt;
    Stamp s;
    qsizetype pos = 7;
    int day = 1;
    if (t.size() > 7 && t[7] == '-') {
        const auto d = digits(t, 8, 2);
        if (!d)
            return std::nullopt;
        day = *d;
        pos = 10;
    }
    s.date = QDate(*y, *mo, day);
    if (!s.date.isValid())
        return std::nullopt;
    if (pos < t.size() && (t[pos] == ' ' || t[pos] == 'T')) {
        const auto h = digits(t, pos + 1, 2);
        if (!h)
            return std::nullopt;
        int mi = 0, se = 0;
        pos += 3;
        if (pos < t.size() && t[pos] == ':') {
            const auto m = digits(t, pos + 1, 2);
            if (!m)
                return std::nullopt;
            mi = *m;
            pos += 3;
            if (pos < t.size() && t[pos] == ':') {
                const auto sec = digits(t, pos + 1, 2);
                if (!sec)
                    return std::nullopt;
                se = *sec;
                pos += 3;
                if (pos < t.size() && t[pos] == '.') {
                    ++pos;
                    while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9')
                        ++pos;
                }
            }
        }
        if (mi > 59 || se > 59 || *h > 24 || (*h == 24 && (mi || se)))
            return std::nullopt;
        s.seconds = *h * 3600 + mi * 60 + se;
        s.hasTime = true;
    }
    if (pos < t.size() && (t[pos] == 'Z' || t[pos] == 'z') && pos + 1 == t.size()) {
        s.offsetMinutes = 0;
        pos = t.size();
    } else if (pos < t.size() && s.hasTime && (t[pos] == '+' || t[pos] == '-')) {
        const int sign = t[pos] == '-' ? -1 : 1;
        const auto oh = digits(t, pos + 1, 2);
        if (!oh)
            return std::nullopt;
        pos += 3;
        int om = 0;
        if (pos < t.size() && t[pos] == ':')
            ++pos;
        if (pos < t.size()) {
            const auto m = digits(t, pos, 2);
            if (!m)
                return std::nullopt;
            om = *m;
            pos += 2;
        }
        if (*oh > 14 || om > 59)
            return std::nullopt;
        s.offsetMinutes = sign * (*oh * 60 + om);
    }
    if (pos != t.size())
        return std::nullopt;
    return s;
}

std::optional<ZoneCode> zoneCode(QByteArrayView code) {
    struct Zone {
        const char* standard;
        const char* daylight;
        int offset;
    };
    static const Zone zones[] = {{"UTC", "GMT", 0},      {"AST", "ADT", -240}, {"EST", "EDT", -300},
                                 {"CST", "CDT", -360},   {"MST", "MDT", -420}, {"PST", "PDT", -480},
                                 {"AKST", "AKDT", -540}, {"HST", "HDT", -600}};
    code = trimmed(code);
    for (const Zone& z : zones) {
        if (code.compare(QByteArrayView(z.standard), Qt::CaseInsensitive) == 0)
            return ZoneCode{z.offset, z.offset};
        if (code.compare(QByteArrayView(z.daylight), Qt::CaseInsensitive) == 0)
            return ZoneCode{z.offset == 0 ? 0 : z.offset + 60, z.offset};
    }
    return std::nullopt;
}

QList<QByteArray> splitFields(QByteArrayView line, char delimiter, bool collapse) {
    QList<QByteArray> fields;
    if (!line.contains('"')) {
        // Most lines quote nothing: each field is copied once, not grown a character at a time.
        FieldViews views;
        views.split(line, delimiter, collapse);
        fields.reserve(views.size());
        for (QByteArrayView f : views)
            fields.append(f.toByteArray());
        return fields;
    }
    QByteArray field;
    bool inQuotes = false, pending = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            inQuotes = true;
            pending = true;
        } else if (c == delimiter) {
            if (!(collapse && !pending && field.isEmpty()))
                fields.append(field);
            field.clear();
            pending = false;
        } else {
            field += c;
            pending = true;
        }
    }
    if (pending || !field.isEmpty() || !collapse)
        fields.append(field);
    return fields;
}

void FieldViews::split(QByteArrayView line, char delimiter, bool collapse) {
    m_views.clear();
    if (line.contains('"')) {
        m_unquoted = splitFields(line, delimiter, collapse);
        for (const QByteArray& f : std::as_const(m_unquoted))
            m_views.append(f);
        return;
    }
    qsizetype from = 0;
    while (true) {
        qsizetype end = line.indexOf(delimiter, from);
        if (end < 0)
            end = line.size();
        if (!collapse || end > from)
            m_views.append(line.sliced(from, end - from));
        if (end == line.size())
            return;
        from = end + 1;
    }
}

QString statisticName(const QString& code) {
    static const QHash<QString, QString> names = {{u"00001"_qs, u"Maximum"_qs},
                                                  {u"00002"_qs, u"Minimum"_qs},
                                                  {u"00003"_qs, u"Mean"_qs},
                                                  {u"00006"_qs, u"Sum"_qs},
                                                  {u"00011"_qs, u"Instantaneous"_qs}};
    return names.value(code, code);
}

QString withCharacterReferences(QString text) {
    static const QRegularExpression reference(u"&#(\\d{1,6});"_qs);
    QRegularExpressionMatch m;
    qsizetype from = 0;
    while ((m = reference.match(text, from)).hasMatch()) {
        const uint code = m.captured(1).toUInt();
        const QString c = code > 0 && code <= 0x10FFFF && QChar::isPrint(char32_t(code))
                              ? QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1)
                              : QString();
        text.replace(m.capturedStart(), m.capturedLength(), c);
        from = m.capturedStart() + c.size();
    }
    return text;
}

TimeStep stepFromSpacing(const QList<Value>& values, bool instantaneous) {
    QHash<qint64, qsizetype> counts;
    bool allMidnight = true, allFirstOfMonth = true;
    // The minutes past the hour every time shares a step with; 0 once a time has seconds.
    int alignment = 60;
    constexpr qint64 kDayMs = 86400000;
    qint64 previous = 0;
    // Spacings come in long runs of one: counted per run, not per value.
    qint64 runSpacing = 0;
    qsizetype runLength = 0;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QDateTime& t = values[i].time;
        // The readers' wall clocks are held as UTC: the time of day is the milliseconds' rest.
        const qint64 ms = t.toMSecsSinceEpoch();
        const qint64 ofDay = t.timeSpec() == Qt::UTC ? ((ms % kDayMs) + kDayMs) % kDayMs
                                                     : t.time().msecsSinceStartOfDay();
        allMidnight = allMidnight && ofDay == 0;
        if (ofDay % 60000 != 0)
            alignment = 0;
        else if (alignment != 0) {
            const int minute = int(ofDay / 60000 % 60);
            alignment = std::gcd(alignment, minute == 0 ? 60 : minute);
        }
        allFirstOfMonth = allFirstOfMonth && t.date().day() == 1;
        if (i > 0) {
            const qint64 spacing = (ms - previous) / 1000 / 60;
            if (runLength > 0 && spacing != runSpacing) {
                counts[runSpacing] += runLength;
                runLength = 0;
            }
            runSpacing = spacing;
            ++runLength;
        }
        previous = ms;
    }
    if (runLength > 0)
        counts[runSpacing] += runLength;
    qint64 mode = 0;
    qsizetype best = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > best || (it.value() == best && it.key() < mode))
            mode = it.key(), best = it.value();
    if (allMidnight && allFirstOfMonth && mode >= 28 * 1440 && mode <= 31 * 1440)
        return {StepKind::Month, 0};
    if (allMidnight && allFirstOfMonth && mode >= 365 * 1440 && mode <= 366 * 1440)
        return {StepKind::Year, 0};
    if (allMidnight && (mode == 1440 || values.size() < 2))
        return {StepKind::Day, 0};
    // Times off the step's grid (seconds, odd minutes) are irregular whatever their spacing.
    const bool gridStep = mode == 15 || mode == 30 || mode == 60;
    const bool onGrid = gridStep && alignment != 0 && alignment % int(mode) == 0;
    if (mode == 60 && !instantaneous && onGrid)
        return {StepKind::Hour, 0};
    if (onGrid)
        return {StepKind::Unit, int(mode)};
    return {StepKind::Unit, 0};
}

int Builder::addSeries(Series series, StepFrom stepFrom) {
    if (m_result.series.size() >= kMaxSeries)
        throw ReadError(
            QStringLiteral("The file holds more than %1 series, more than one load takes.")
                .arg(kMaxSeries));
    m_result.series.append(std::move(series));
    m_pending.append(Pending{{}, {}, stepFrom});
    return int(m_result.series.size() - 1);
}

void Builder::add(int index, const Stamp& stamp, double value, const QString& qualifier,
                  qsizetype line) {
    if (++m_values > kMaxValues)
        throw ReadError(
            QStringLiteral("The file holds more than %1 values, more than one load takes.")
                .arg(kMaxValues),
            line);
    // Straight from the day number: the same instant as midnight plus the seconds, made cheaply.
    constexpr qint64 kEpochDay = 2440588; // 1970-01-01
    const QDateTime t =
        stamp.date.isValid()
            ? QDateTime::fromMSecsSinceEpoch(
                  ((stamp.date.toJulianDay() - kEpochDay) * 86400 + stamp.seconds) * 1000, Qt::UTC)
            : QDateTime(stamp.date, QTime(0, 0), Qt::UTC).addSecs(stamp.seconds);
    m_result.series[index].values.append(Value{t, value, qualifier});
    Pending& p = m_pending[index];
    p.lines.append(line);
    p.offsets.append(stamp.offsetMinutes.value_or(INT_MIN));
}

void Builder::warn(WarningKind kind, qsizetype line, const QString& message) {
    if (m_result.warnings.size() >= kMaxWarnings) {
        ++m_result.droppedWarnings;
        return;
    }
    m_result.warnings.append(ReadWarning{kind, line, message});
}

QString Builder::qualifier(QByteArrayView code) {
    code = trimmed(code);
    if (code.isEmpty())
        return {};
    // Files repeat one code row after row.
    if (code == QByteArrayView(m_lastCode))
        return m_lastQualifier;
    m_lastCode = code.toByteArray();
    m_lastQualifier = qualifierText(code);
    return m_lastQualifier;
}

QString Builder::qualifierText(QByteArrayView code) {
    const auto it = m_qualifiers.constFind(code.toByteArray());
    if (it != m_qualifiers.cend())
        return it.value();
    const QString text = QString::fromUtf8(code.first(std::min<qsizetype>(code.size(), 32)));
    if (m_qualifiers.size() < 1000) // shared text for the few codes a file uses
        m_qualifiers.insert(code.toByteArray(), text);
    return text;
}

void Builder::finishSeries(Series& s, Pending& p) {
    const qsizetype n = s.values.size();
    // The site's standard offset: the options, the file's statement, or the smallest offset used.
    std::optional<int> standard = m_options.standardOffsetMinutes;
    if (!standard)
        standard = s.standardOffsetMinutes;
    if (!standard) {
        for (int o : p.offsets)
            if (o != INT_MIN && (!standard || o < *standard))
                standard = o;
    }
    if (!standard)
        standard = m_options.zonelessOffsetMinutes;
    for (qsizetype i = 0; i < n; ++i) {
        int written = p.offsets[i];
        if (written == INT_MIN)
            written = m_options.zonelessOffsetMinutes.value_or(standard.value_or(0));
        if (standard && written != *standard)
            s.values[i].time = s.values[i].time.addSecs(qint64(*standard - written) * 60);
    }
    s.standardOffsetMinutes = standard;

    // Most files are in order without repeats: then the values stay where they are.
    const bool increasing =
        std::adjacent_find(s.values.cbegin(), s.values.cend(), [](const Value& a, const Value& b) {
            return !(a.time < b.time);
        }) == s.values.cend();
    if (!increasing) {
        QList<qsizetype> order(n);
        std::iota(order.begin(), order.end(), 0);
        const auto earlier = [&](qsizetype a, qsizetype b) {
            return s.values[a].time < s.values[b].time;
        };
        if (!std::is_sorted(order.begin(), order.end(), earlier)) {
            const auto first =
                std::is_sorted_until(order.begin(), order.end(), earlier) - order.begin();
            warn(WarningKind::OutOfOrder, p.lines[first],
                 QStringLiteral("%1: values out of order from here on; sorted.")
                     .arg(s.parameter.left(kMaxQuotedChars)));
            std::stable_sort(order.begin(), order.end(), earlier);
        }
        QList<Value> values;
        values.reserve(n);
        for (qsizetype i : order) {
            if (!values.isEmpty() && values.last().time == s.values[i].time) {
                warn(WarningKind::DuplicateTime, p.lines[i],
                     QStringLiteral("%1: a second value for %2; the first one is kept.")
                         .arg(s.parameter.left(kMaxQuotedChars),
                              s.values[i].time.toString(u"yyyy-MM-dd HH:mm")));
                continue;
            }
            values.append(std::move(s.values[i]));
        }
        s.values = std::move(values);
    }
    if (m_options.step)
        s.step = *m_options.step;
    else if (p.stepFrom != StepFrom::File)
        s.step = stepFromSpacing(s.values, p.stepFrom == StepFrom::SpacingInstantaneous);
}

ReadResult Builder::finish() {
    for (qsizetype i = 0; i < m_result.series.size(); ++i)
        finishSeries(m_result.series[i], m_pending[i]);
    m_pending.clear();
    if (m_result.droppedWarnings > 0)
        m_result.warnings.append(ReadWarning{
            WarningKind::Truncated, 0,
            QStringLiteral("%1 more warnings not shown.").arg(m_result.droppedWarnings)});
    return std::move(m_result);
}

} // namespace rp::readers::detail
