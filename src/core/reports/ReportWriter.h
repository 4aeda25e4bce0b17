#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

class QIODevice;

namespace rp {

// Writes a report line by line as 8-bit text with CR LF line ends, keeping the print position so
// text can be placed at a column the way a line printer tabs. Each finished line goes to the
// device at once, so after an error the output holds everything written before it.
class ReportWriter {
public:
    explicit ReportWriter(QIODevice& out);

    ReportWriter& operator<<(QStringView text);
    ReportWriter& operator<<(const QString& text) { return *this << QStringView(text); }
    ReportWriter& operator<<(const char16_t* text) { return *this << QStringView(text); }

    // Moves to `column` (counted from 1) with blanks; when the line is already past it, the text
    // continues at that column of the next line.
    void tab(int column);
    void endLine();
    // A form feed that stays on the current line.
    void formFeed();
    // Writes a line that is still open (no line end is added).
    void flush();

private:
    void write(const QByteArray& bytes);
    QIODevice& m_out;
    QByteArray m_line; // 8-bit text of the open line
};

} // namespace rp
