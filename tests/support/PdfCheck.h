#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace rp::test {

// What is wrong with the PDF file at `path` (empty when it has its header and its end-of-file
// mark); its bytes in `bytes` when asked.
inline QString pdfProblem(const QString& path, QByteArray* bytes = nullptr) {
    QFile pdf(path);
    if (!pdf.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 cannot be read").arg(path);
    const QByteArray content = pdf.readAll();
    if (bytes)
        *bytes = content;
    if (!content.startsWith("%PDF-"))
        return QStringLiteral("%1 has no PDF header").arg(path);
    if (!content.trimmed().endsWith("%%EOF"))
        return QStringLiteral("%1 has no end-of-file mark").arg(path);
    return {};
}

} // namespace rp::test
