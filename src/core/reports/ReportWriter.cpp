#include "core/reports/ReportWriter.h"

#include "core/base/Error.h"

#include <QIODevice>

namespace rp {

ReportWriter::ReportWriter(QIODevice& out) : m_out(out) {}

ReportWriter& ReportWriter::operator<<(QStringView text) {
    const qsizetype at = m_line.size();
    m_line.resize(at + text.size());
    char* out = m_line.data() + at;
    for (QChar c : text)
        *out++ = c.unicode() < 256 ? char(c.unicode()) : '?';
    return *this;
}

void ReportWriter::tab(int column) {
    if (column < 1)
        column = 1;
    if (m_line.size() + 1 > column)
        endLine();
    if (m_line.size() + 1 < column)
        m_line.append(column - 1 - m_line.size(), ' ');
}

void ReportWriter::endLine() {
    m_line += "\r\n";
    write(m_line);
    m_line.resize(0);
}

void ReportWriter::formFeed() {
    m_line += '\f';
}

void ReportWriter::flush() {
    if (m_line.isEmpty())
        return;
    write(m_line);
    m_line.resize(0);
}

void ReportWriter::write(const QByteArray& bytes) {
    if (m_out.write(bytes) != bytes.size())
        throw Error(QStringLiteral("Cannot write the report: %1").arg(m_out.errorString()));
}

} // namespace rp
