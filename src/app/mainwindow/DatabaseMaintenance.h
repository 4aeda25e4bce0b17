#pragma once

#include <QString>

namespace rp {

class CommandPrompts;
class ConnectionView;
class ContigRunner;
class SqliteCompactor;

// The upkeep offered after the connection dialog for the database file it names: defragmenting
// the file with rivelpost-contig and compacting it, each asked first.
class DatabaseMaintenance {
public:
    DatabaseMaintenance(CommandPrompts& prompts, ConnectionView& view, ContigRunner& contig,
                        SqliteCompactor& compactor);

    // The database file, the position of its ".M" (0 when none), its length, whether it is an
    // SQLite file, and the caption to put back when the compaction is done. Throws rp::Error
    // from the defragmenting and compacting steps.
    void run(const QString& path, qint64 length, bool sqlite, const QString& savedCaption);

    // The defragmenter's report "myHDB_contig_info.txt" in the program's folder.
    static QString reportPath();

private:
    // Runs the tool into the report file and shows its line in the caption; returns the report.
    QString runContig(const QStringList& arguments);

    CommandPrompts& m_prompts;
    ConnectionView& m_view;
    ContigRunner& m_contig;
    SqliteCompactor& m_compactor;
};

} // namespace rp
