// Splits a text report into worksheet cells.
#include "core/export/ReportTokenizer.h"

#include "core/base/Error.h"

#include <QFile>

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
            if (!tokens[column].isEmpty())
                sheet.cells.push_back({row, column, tokens[column], false});
        ++row;
    }
    return sheet;
}

} // namespace rp
