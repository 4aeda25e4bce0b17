#include "core/db/ConnectionString.h"

#include "core/base/Error.h"

#include <QRegularExpression>

namespace rp {

namespace {

bool endsWithAny(const QString& path, std::initializer_list<const char*> suffixes) {
    for (const char* s : suffixes)
        if (path.endsWith(QLatin1String(s), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

ConnectionString ConnectionString::parse(const QString& text) {
    ConnectionString cs;
    cs.m_text = text.trimmed();
    if (cs.m_text.isEmpty())
        throw Error(QStringLiteral("The connection string is empty. Use the Connection button to "
                                   "set the database."));
    const QString& t = cs.m_text;
    qsizetype i = 0;
    while (i < t.size()) {
        // One "key=value" part up to the next ';' outside quotes.
        const qsizetype eq = t.indexOf(QLatin1Char('='), i);
        const qsizetype semi = t.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            const QString part = t.mid(i, semi < 0 ? -1 : semi - i).trimmed();
            if (!part.isEmpty())
                throw Error(QStringLiteral("The connection string part \"%1\" has no '='; "
                                           "write it as key=value.")
                                .arg(part));
            i = semi < 0 ? t.size() : semi + 1;
            continue;
        }
        const QString key = t.mid(i, eq - i).trimmed();
        if (key.isEmpty())
            throw Error(QStringLiteral("The connection string has a value without a key near "
                                       "\"%1\".")
                            .arg(t.mid(i, 20)));
        qsizetype j = eq + 1;
        while (j < t.size() && t.at(j) == QLatin1Char(' '))
            ++j;
        QString value;
        if (j < t.size() && (t.at(j) == QLatin1Char('"') || t.at(j) == QLatin1Char('\''))) {
            const QChar quote = t.at(j);
            const qsizetype close = t.indexOf(quote, j + 1);
            if (close < 0)
                throw Error(QStringLiteral("The connection string value of %1 has no closing %2.")
                                .arg(key, quote));
            value = t.mid(j + 1, close - j - 1);
            const qsizetype next = t.indexOf(QLatin1Char(';'), close);
            i = next < 0 ? t.size() : next + 1;
        } else {
            const qsizetype end = t.indexOf(QLatin1Char(';'), j);
            value = t.mid(j, end < 0 ? -1 : end - j).trimmed();
            i = end < 0 ? t.size() : end + 1;
        }
        cs.m_entries.append({key, value});
    }
    if (cs.m_entries.isEmpty())
        throw Error(QStringLiteral("The connection string \"%1\" names no database.")
                        .arg(withoutPassword(t)));
    return cs;
}

bool ConnectionString::contains(const QString& key) const {
    for (const auto& [k, v] : m_entries)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString ConnectionString::value(const QString& key) const {
    for (const auto& [k, v] : m_entries)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    return {};
}

ConnectionString ConnectionString::forFile(BackendKind kind, const QString& path) {
    ConnectionString cs;
    cs.m_kind = kind;
    switch (kind) {
    case BackendKind::Sqlite:
        cs.m_entries = {{QStringLiteral("Provider"), QStringLiteral("SQLite")},
                        {QStringLiteral("Data Source"), path}};
        break;
    case BackendKind::Access:
        cs.m_entries = {{QStringLiteral("Provider"), QStringLiteral("Microsoft.Jet.OLEDB.4.0")},
                        {QStringLiteral("Data Source"), path}};
        break;
    case BackendKind::Workbook:
        cs.m_entries = {
            {QStringLiteral("Driver"), QStringLiteral("{Microsoft Excel Driver (*.xls)}")},
            {QStringLiteral("DBQ"), path}};
        break;
    case BackendKind::PostgreSql:
        throw Error(QStringLiteral("A PostgreSQL database is not a file."));
    }
    QStringList parts;
    for (const auto& [key, value] : cs.m_entries)
        parts.append(key + QStringLiteral("=\"") + value + QLatin1Char('"'));
    cs.m_text = parts.join(QLatin1Char(';'));
    return cs;
}

BackendKind ConnectionString::backendKind() const {
    if (m_kind)
        return *m_kind;
    // A string that mentions Excel anywhere names a workbook, as the retrieval rules expect.
    if (m_text.toUpper().contains(QLatin1String("EXCEL")))
        return BackendKind::Workbook;
    const QString provider = value(QStringLiteral("Provider")).toLower();
    const QString source = value(QStringLiteral("Data Source"));
    if (provider == QLatin1String("sqlite") || provider == QLatin1String("sqlite3"))
        return BackendKind::Sqlite;
    if (provider.startsWith(QLatin1String("postgres")) || provider == QLatin1String("pgsql") ||
        provider == QLatin1String("qpsql"))
        return BackendKind::PostgreSql;
    if (endsWithAny(source, {".sqlite", ".sqlite3", ".db", ".hdb"}))
        return BackendKind::Sqlite;
    if (endsWithAny(source, {".mdb", ".accdb"}) ||
        provider.startsWith(QLatin1String("microsoft.jet")) ||
        provider.startsWith(QLatin1String("microsoft.ace")))
        return BackendKind::Access;
    if (!provider.isEmpty())
        throw Error(QStringLiteral("The connection string names the provider \"%1\", which this "
                                   "program does not know. Use Provider=SQLite;Data Source=FILE.")
                        .arg(value(QStringLiteral("Provider"))));
    throw Error(QStringLiteral("The connection string \"%1\" names no database. Use "
                               "Provider=SQLite;Data Source=FILE.")
                    .arg(withoutPassword(m_text)));
}

QString ConnectionString::withoutPassword(const QString& text) {
    // A quoted value may hold ';'; an unquoted one runs to the next ';'.
    static const QRegularExpression password(
        QStringLiteral("(^|;)(\\s*(?:password|pwd)\\s*=\\s*)(\"[^\"]*\"?|'[^']*'?|[^;]*)"),
        QRegularExpression::CaseInsensitiveOption);
    QString result = text;
    result.replace(password, QStringLiteral("\\1\\2****"));
    return result;
}

QString ConnectionString::databasePath() const {
    if (contains(QStringLiteral("DBQ")))
        return value(QStringLiteral("DBQ"));
    return value(QStringLiteral("Data Source"));
}

} // namespace rp
