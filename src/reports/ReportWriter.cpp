#include "reports/ReportWriter.h"

#include "db/Error.h"

#include <QIODevice>

namespace rp {

ReportWriter::ReportWriter(QIODevice& out) : m_out(out) {}

ReportWriter& ReportWriter::operator<<(QStringView text) {
    m_line += text;
    return *this;
}

void ReportWriter::tab(int column) {
    if (column < 1)
        column = 1;
    if (m_line.size() + 1 > column)
        endLine();
    if (m_line.size() + 1 < column)
        m_line += QString(column - 1 - m_line.size(), u' ');
}

void ReportWriter::endLine() {
    QByteArray bytes = m_line.toLatin1();
    bytes += "\r\n";
    m_line.clear();
    write(bytes);
}

void ReportWriter::formFeed() {
    m_line += QChar(12);
}

void ReportWriter::flush() {
    if (m_line.isEmpty())
        return;
    const QByteArray bytes = m_line.toLatin1();
    m_line.clear();
    write(bytes);
}

void ReportWriter::write(const QByteArray& bytes) {
    if (m_out.write(bytes) != bytes.size())
        throw Error(QStringLiteral("Cannot write the report: %1").arg(m_out.errorString()));
}

} // namespace rp
