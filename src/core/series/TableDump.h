#pragma once

#include <QString>

class QIODevice;

namespace rp {

class RecordSet;

// The table dump "TMP.out": the field names, then one line per record with every field's value
// as the grid shows it (a null is empty), each followed by a TAB; 8-bit text, CR LF line ends.
void writeTableDump(const RecordSet& records, QIODevice& out);
// As above into a file, replaced whole. Throws rp::Error when it cannot be written.
void writeTableDump(const RecordSet& records, const QString& path);

} // namespace rp
