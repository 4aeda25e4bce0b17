#pragma once

#include <QVariant>

namespace rp::jet {

// Jet's text functions. Any value is taken as its text; Null in gives Null out. Positions are
// 1-based. Bad arguments (a negative length, a start before 1) throw rp::Error.

QVariant len(const QVariant& text);
QVariant left(const QVariant& text, const QVariant& length);
QVariant right(const QVariant& text, const QVariant& length);
// Without a length, the rest of the text from start.
QVariant mid(const QVariant& text, const QVariant& start, const QVariant& length = QVariant());
QVariant ucase(const QVariant& text);
QVariant lcase(const QVariant& text);
// Blanks only, as Jet trims: tabs and line ends stay.
QVariant trim(const QVariant& text);
QVariant ltrim(const QVariant& text);
QVariant rtrim(const QVariant& text);
// Position of sought in text from start (1 when absent), 0 when not found; compare 0 is
// case-sensitive, 1 (the default in queries) is not.
QVariant instr(const QVariant& start, const QVariant& text, const QVariant& sought,
               const QVariant& compare = 1);
// Every occurrence of find replaced, case-sensitively. With a start, the result begins there;
// with a count, at most that many are replaced (-1: all).
QVariant replace(const QVariant& text, const QVariant& find, const QVariant& with,
                 const QVariant& start = 1, const QVariant& count = -1);

// n blanks; n copies of a character given as a text (its first) or a character code.
QVariant space(const QVariant& count);
QVariant string(const QVariant& count, const QVariant& character);
// -1, 0 or 1 as a sorts before, with or after b; compare 0 is binary, 1 (the default in
// queries) ignores case.
QVariant strComp(const QVariant& a, const QVariant& b, const QVariant& compare = 1);

} // namespace rp::jet
