#pragma once

#include <QString>

namespace rp {

// The database file a connection string names, as the connection dialog reads it: the text
// between the first and the second ';', after its first '=', without surrounding spaces. Throws
// rp::Error when the string has no second part.
QString connectionDatabasePath(const QString& connectionString);

// True when the string names a database file (SQLite, Access or a workbook), not a server.
bool isFileDatabaseConnection(const QString& connectionString);

// True when the string names an SQLite database file.
bool isSqliteConnection(const QString& connectionString);

// The Connection dialog's title and prompt, naming the kind of database the current connection
// string serves: Access (or a string that names no known kind) keeps the classic texts, an SQLite
// file is compacted on Cancel, a server or a workbook keeps its string.
struct ConnectionPromptTexts {
    QString title;
    QString prompt;
};
ConnectionPromptTexts connectionPromptTexts(const QString& connectionString);

// A connection string for a database file picked by the user: SQLite, an Access file or a
// workbook, told by the file's extension. Throws rp::Error for a file of another kind.
QString connectionStringForFile(const QString& path);

} // namespace rp
