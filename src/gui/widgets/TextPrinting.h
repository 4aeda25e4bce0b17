#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;

namespace rp {

// The pages a text file prints on: each begins with two empty lines, a form feed starts a new
// page (the form feeds themselves are dropped), every line is indented by five spaces. A page
// longer than the paper runs on to the next sheet.
QList<QStringList> printPages(const QStringList& lines);

// The lines of an 8-bit text file (CR LF or LF). Throws rp::Error when it cannot be read.
QStringList readTextFileLines(const QString& path);

// The font of printed tables: "Courier New" 10 point, or a metric-compatible monospace.
QFont tablePrintFont();

// Prints the lines on a printer or PDF writer in `font`, landscape when asked. Throws rp::Error
// when the device cannot be painted on.
void printLines(const QStringList& lines, QPagedPaintDevice& device, const QFont& font,
                bool landscape);

} // namespace rp
