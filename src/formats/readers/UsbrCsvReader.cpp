#include "formats/readers/UsbrCsvReader.h"
#include "formats/readers/ReaderSupport.h"

#include <QRegularExpression>

namespace rp::readers {

using namespace detail;

std::optional<QDate> parseDayMonYear(QByteArrayView text) {
    static const char* const months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                         "jul", "aug", "sep", "oct", "nov", "dec"};
    const QList<QByteArray> parts = trimmed(text).toByteArray().split('-');
    if (parts.size() != 3 || parts[0].size() > 2 || parts[1].size() != 3 ||
        (parts[2].size() != 2 && parts[2].size() != 4))
        return std::nullopt;
    int month = 0;
    for (int i = 0; i < 12; ++i)
        if (parts[1].compare(months[i], Qt::CaseInsensitive) == 0)
            month = i + 1;
    bool okDay = false, okYear = false;
    const int day = parts[0].toInt(&okDay);
    int year = parts[2].toInt(&okYear);
    if (!okDay || !okYear || month == 0 || parts[2].startsWith('-') || parts[2].startsWith('+'))
        return std::nullopt;
    if (parts[2].size() == 2)
        year += year >= 50 ? 1900 : 2000;
    const QDate date(year, month, day);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

ReadResult readUsbrCsv(QByteArrayView bytes, const ReadOptions& options) {
    Builder out(options);
    Lines lines(bytes);
    QList<int> index; // series per column; -1 for the date and nameless columns
    bool monthly = true;
    while (lines.next()) {
        const QByteArrayView line = lines.line();
        const QList<QByteArray> fields = splitFields(line, ',');
        if (index.isEmpty()) {
            if (fields.value(0).trimmed().compare("Date", Qt::CaseInsensitive) != 0)
                throw ReadError(u"Not a USBR file: the first line does not start with Date: "_qs +
                                    quoted(line),
                                lines.number());
            static const QRegularExpression unit(u"^(.*?)\\s*\\(([^)]*)\\)\\s*$"_qs);
            index.append(-1);
            for (qsizetype i = 1; i < fields.size(); ++i) {
                QString name = QString::fromUtf8(fields[i]).trimmed();
                if (name.isEmpty()) {
                    index.append(-1);
                    continue;
                }
                Series s;
                if (const auto m = unit.match(name); m.hasMatch()) {
                    name = m.captured(1);
                    s.unit = m.captured(2);
                }
                while (name.endsWith(u'*') || name.endsWith(u'^'))
                    name.chop(1);
                s.parameter = s.parameterName = name.trimmed();
                index.append(out.addSeries(s));
            }
            continue;
        }
        const auto date = parseDayMonYear(fields.value(0));
        if (!date) {
            if (!lines.line().isEmpty()) {
                out.warn(WarningKind::NonDataLine, lines.number(),
                         u"The data end before this line: "_qs + quoted(line));
                break;
            }
            continue;
        }
        monthly = monthly && date->day() == 1;
        for (qsizetype i = 1; i < fields.size() && i < index.size(); ++i) {
            if (index[i] < 0 || trimmed(fields[i]).isEmpty())
                continue;
            const auto value = parseNumber(fields[i]);
            if (!value) {
                out.warn(WarningKind::BadValue, lines.number(),
                         u"Not a number, skipped: "_qs + quoted(fields[i]));
                continue;
            }
            out.add(index[i], Stamp{*date, 0, false, {}}, *value, {}, lines.number());
        }
    }
    for (int i = 0; i < out.seriesCount(); ++i)
        out.series(i).step = TimeStep{monthly ? StepKind::Month : StepKind::Day, 0};
    return out.finish();
}

} // namespace rp::readers
