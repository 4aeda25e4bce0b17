#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
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
    // The text with the value of every Password= or PWD= part replaced by ****, for messages,
    // read by the same rules as parse() whatever blanks, case or damage the text has.
    static QString withoutPassword(const QString& text);
    // The values of every Password= or PWD= part of the text, as the connection would use them.
    static QStringList passwords(const QString& text);
    // The message with each password struck out wherever it stands, in any case (a server may
    // quote the statement or the name lower-cased).
    static QString withoutPasswords(QString message, const QStringList& passwords);
    static bool isPasswordKey(const QString& key);

    // The database file for the file backends ("Data Source", or "DBQ" for workbooks).
    QString databasePath() const;

private:
    struct Part;
    static QList<Part> parts(const QString& text);

    QString m_text;
    QList<QPair<QString, QString>> m_entries;
    std::optional<BackendKind> m_kind; // set by forFile: the path's text decides nothing
};

} // namespace rp
