#pragma once

#include <QByteArray>
#include <QString>

namespace rp {

// Ranges that cover a sheet's rows down to its last one, grown with rows appended below it.

// A table part's XML with its ref and its autoFilter's ref ending at row `newLast` where they
// ended at `oldLast`; null when nothing changes (a table with a totals row is left alone: its
// last row is not data).
QByteArray tableGrownTo(const QByteArray& xml, int oldLast, int newLast);

// The workbook part's XML with every area of the sheet's defined names (SHEET!$A$2:$C$7) that
// ends at row `oldLast` made to end at `newLast`; null when nothing changes.
QByteArray definedNamesGrownTo(const QByteArray& xml, const QString& sheet, int oldLast,
                               int newLast);

} // namespace rp
