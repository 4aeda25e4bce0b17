// Splits a text report into worksheet cells.
#include "core/export/ReportTokenizer.h"

#include "core/base/Error.h"

#include <QFile>
#include <QLocale>

namespace rp {

QStringList tokenizeReportLine(QStringView line) {
    QStringList cells;
    QString buffer;
    bool inWord = false;
    bool inQuotes = false;
    const auto endCell = [&] {
        cells.append(buffer);
        buffer.clear();
    };
    for (const QChar c : line) {
        if (c == QLatin1Char('"')) {
            if (inQuotes) {
                inQuotes = false;
                endCell();
            } else {
                inQuotes = true;
            }
        } else if (c == QLatin1Char(' ')) {
            if (!inWord)
                continue;
            if (inQuotes) {
                buffer.append(c);
            } else {
                inWord = false;
                endCell();
            }
        } else {
            inWord = true;
            buffer.append(c);
        }
    }
    endCell();
    return cells;
}

std::optional<TokenNumber> tokenNumber(QStringView token) {
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    QString plain; // the token without its grouping commas
    qsizetype at = 0;
    if (at < token.size() && (token[at] == u'-' || token[at] == u'+'))
        plain.append(token[at++]);
    const qsizetype integerStart = at;
    int integerDigits = 0;
    int groupLength = 0; // digits since the start or the last comma
    bool grouped = false;
    for (; at < token.size() && token[at] != u'.'; ++at) {
        if (isDigit(token[at])) {
            plain.append(token[at]);
            ++integerDigits;
            ++groupLength;
        } else if (token[at] == u',') {
            // A first group of one to three digits, then groups of three.
            if (groupLength == 0 || groupLength > 3 || (grouped && groupLength != 3))
                return std::nullopt;
            grouped = true;
            groupLength = 0;
        } else {
            return std::nullopt;
        }
    }
    if (grouped && groupLength != 3)
        return std::nullopt;
    int decimals = 0;
    if (at < token.size()) {
        plain.append(u'.');
        for (++at; at < token.size(); ++at) {
            if (!isDigit(token[at]))
                return std::nullopt;
            plain.append(token[at]);
            ++decimals;
        }
    }
    // More digits than a double keeps, or a leading zero, would not show as written.
    if (integerDigits + decimals == 0 || integerDigits + decimals > 15 ||
        (integerDigits > 1 && token[integerStart] == u'0'))
        return std::nullopt;
    bool ok = false;
    TokenNumber number;
    number.value = QLocale::c().toDouble(plain, &ok);
    if (!ok)
        return std::nullopt;
    if (grouped || decimals > 0) {
        number.format = grouped ? QStringLiteral("#,##0") : QStringLiteral("0");
        if (decimals > 0)
            number.format += u'.' + QString(decimals, u'0');
    }
    return number;
}

SpreadsheetSheet readReportSheet(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
    SpreadsheetSheet sheet;
    sheet.rightAligned = true;
    sheet.wideColumnA = true;
    int row = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const QStringList tokens = tokenizeReportLine(QString::fromLatin1(line));
        for (int column = 0; column < tokens.size(); ++column)
            if (const auto number = tokenNumber(tokens[column])) {
                sheet.cells.push_back({row, column, number->value, false});
                if (!number->format.isEmpty())
                    sheet.numberFormats[{row, column}] = number->format;
            } else if (!tokens[column].isEmpty()) {
                sheet.cells.push_back({row, column, tokens[column], false});
            }
        ++row;
    }
    return sheet;
}

} // namespace rp
