#include "core/edit/AutoInsertRules.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/edit/DateAdvance.h"

namespace rp {

QStringList insertionTemplate(QStringList lastRecord) {
    if (!lastRecord.isEmpty() && lastRecord.last() == QLatin1String("34"))
        lastRecord.last() = QStringLiteral("5");
    return lastRecord;
}

QStringList advancedRecord(QStringList buffer, TimeStep step, const QString& interval,
                           int stepCount) {
    if (buffer.size() < 2)
        throw Error(QStringLiteral("The record to insert has no date column."));
    if (step == TimeStep::DayMax || step == TimeStep::DayMin) {
        buffer[1] = nextDayText(buffer[1]);
        if (buffer.size() > 2 && parseJetDateTime(buffer[2].trimmed()))
            buffer[2] = advanceDateText(buffer[2], interval, 1);
        return buffer;
    }
    buffer[1] = advanceDateText(buffer[1], interval, stepCount);
    return buffer;
}

int leadingEmptyCells(const QStringList& rowTexts) {
    int n = 0;
    while (n < rowTexts.size() && rowTexts[n].isEmpty())
        ++n;
    return n;
}

bool isDatedLayout(const QString& column1Caption) {
    return column1Caption.contains(QLatin1String("date"), Qt::CaseSensitive);
}

} // namespace rp
