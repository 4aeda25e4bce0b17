#pragma once

#include <QString>

namespace rp {

// Position (from 1) of the first ".M" in the upper-cased path, 0 when there is none: the mark of
// an Access file such as one ending in .mdb.
int accessMarkerPosition(const QString& path);

// Where a compaction keeps the previous file and writes the new one.
struct MaintenanceNames {
    QString backup;
    QString fresh;
};

// For an SQLite file "_backup" and "_new" go before the file's extension; otherwise they go
// before the first ".M" (which may lie in a folder name).
MaintenanceNames maintenanceNames(const QString& path, bool sqliteFile);

// A file length in kilobytes, rounded to the nearest whole number (halves to even), with
// thousands separators: 1536 -> "2", 1048576 -> "1,024".
QString kilobytesText(qint64 bytes);

// What the defragmenter's report says about the file: its first line holding "fragment".
struct FragmentationReport {
    bool found = false;      // a line holds "fragment"
    QString line;            // that line
    bool fragmented = false; // the line does not say "defragmented"
    QString fragments;       // the text after "is in ", such as "25 fragments"
};
FragmentationReport readFragmentationReport(const QString& text);

} // namespace rp
