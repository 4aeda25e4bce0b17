#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace rp {

// The kinds of database a connection string can name.
enum class BackendKind { Sqlite, PostgreSql, Workbook, Access };

// An ADO-style "key=value;key=value" connection string. Keys are matched without regard to case;
// values keep their case and inner spaces; a value may be quoted with " or ' to hold ';'.
class ConnectionString {
public:
    // Throws rp::Error naming what is wrong (empty text, a part without '=', an empty key).
    static ConnectionString parse(const QString& text);

    // The string that names the file at `path` as a database of a file kind, whatever characters
    // the path holds.
    static ConnectionString forFile(BackendKind kind, const QString& path);

    const QString& text() const { return m_text; }
    bool contains(const QString& key) const;
    QString value(const QString& key) const; // empty when missing
    const QList<QPair<QString, QString>>& entries() const { return m_entries; }

    // Which backend serves this string. Throws rp::Error for an unknown provider or a string that
    // names no database at all.
    BackendKind backendKind() const;
    // The text with the value of every Password= or PWD= part replaced by ****, for messages.
    static QString withoutPassword(const QString& text);

    // The database file for the file backends ("Data Source", or "DBQ" for workbooks).
    QString databasePath() const;

private:
    QString m_text;
    QList<QPair<QString, QString>> m_entries;
    std::optional<BackendKind> m_kind; // set by forFile: the path's text decides nothing
};

} // namespace rp
