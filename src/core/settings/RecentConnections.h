#pragma once

#include <QString>
#include <QStringList>

namespace rp {

// The last five connection strings the user entered, newest first, kept in the file
// "Rivelpost_recent.txt" in the program's folder (8-bit text, CR LF).
class RecentConnections {
public:
    static constexpr int capacity = 5;

    explicit RecentConnections(QString path);
    // The list in the program's folder.
    static RecentConnections inProgramFolder();

    // Empty when the file is missing or unreadable: the list is a convenience.
    QStringList load() const;
    // Puts the string first (once) and rewrites the file; throws rp::Error when it cannot.
    void add(const QString& connectionString) const;

    static inline const char* fileName = "Rivelpost_recent.txt";

private:
    QString m_path;
};

} // namespace rp
