#include "gui/widgets/TextPrinting.h"

#include "core/base/Error.h"

#include <QFile>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace rp {

namespace {

const QString indent = QStringLiteral("     ");

QStringList newPage() {
    return {QString(), QString()};
}

} // namespace

QList<QStringList> printPages(const QStringList& lines) {
    QList<QStringList> pages{newPage()};
    for (QString line : lines) {
        if (line.contains(QChar(12))) {
            pages.append(newPage());
            line.remove(QChar(12));
        }
        pages.last().append(indent + line);
    }
    return pages;
}

QStringList readTextFileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The file %1 cannot be read: %2").arg(path, file.errorString()));
    QList<QByteArray> raw = file.readAll().split('\n');
    if (!raw.isEmpty() && raw.last().isEmpty())
        raw.removeLast();
    QStringList lines;
    lines.reserve(raw.size());
    for (QByteArray& line : raw) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(QString::fromLatin1(line));
    }
    return lines;
}

QFont tablePrintFont() {
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

void printLines(const QStringList& lines, QPagedPaintDevice& device, const QFont& font,
                bool landscape) {
    if (landscape)
        device.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&device))
        throw Error(QStringLiteral("The printer cannot be started."));
    painter.setFont(font);
    const QFontMetrics metrics(font, &device);
    const int lineHeight = metrics.lineSpacing();
    const int pageHeight = painter.viewport().height();
    const QList<QStringList> pages = printPages(lines);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage())
            throw Error(QStringLiteral("The printer cannot start a new page."));
        int y = 0;
        for (const QString& line : pages[p]) {
            if (y + lineHeight > pageHeight && y > 0) {
                if (!device.newPage())
                    throw Error(QStringLiteral("The printer cannot start a new page."));
                y = 0;
            }
            painter.drawText(0, y + metrics.ascent(), line);
            y += lineHeight;
        }
    }
    if (!painter.end())
        throw Error(QStringLiteral("The printout could not be finished."));
}

} // namespace rp
