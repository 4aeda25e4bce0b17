#include "core/db/ConnectionString.h"

#include "core/base/Error.h"

namespace rp {

namespace {

bool endsWithAny(const QString& path, std::initializer_list<const char*> suffixes) {
    for (const char* s : suffixes)
        if (path.endsWith(QLatin1String(s), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

// One key=value part as written: its key, its value and where the value stands in the text
// (quotes included), or a part without '='.
struct ConnectionString::Part {
    QString key;
    QString value;
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0;
    bool hasEquals = true;
    bool unclosedQuote = false;
};

QList<ConnectionString::Part> ConnectionString::parts(const QString& t) {
    QList<Part> result;
    qsizetype i = 0;
    while (i < t.size()) {
        // One "key=value" part up to the next ';' outside quotes.
        const qsizetype eq = t.indexOf(QLatin1Char('='), i);
        const qsizetype semi = t.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            const qsizetype end = semi < 0 ? t.size() : semi;
            Part part;
            part.hasEquals = false;
            part.value = t.mid(i, end - i).trimmed();
            part.valueStart = i;
            part.valueEnd = end;
            if (!part.value.isEmpty())
                result.append(part);
            i = end + 1;
            continue;
        }
        Part part;
        part.key = t.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        while (j < t.size() && t.at(j).isSpace())
            ++j;
        part.valueStart = j;
        if (j < t.size() && (t.at(j) == QLatin1Char('"') || t.at(j) == QLatin1Char('\''))) {
            const QChar quote = t.at(j);
            const qsizetype close = t.indexOf(quote, j + 1);
            part.unclosedQuote = close < 0;
            part.value = close < 0 ? t.mid(j + 1) : t.mid(j + 1, close - j - 1);
            const qsizetype next = close < 0 ? -1 : t.indexOf(QLatin1Char(';'), close);
            // What follows the closing quote up to ';' is ignored, and masked with the value.
            part.valueEnd = next < 0 ? t.size() : next;
            i = next < 0 ? t.size() : next + 1;
        } else {
            const qsizetype end = t.indexOf(QLatin1Char(';'), j);
            part.valueEnd = end < 0 ? t.size() : end;
            part.value = t.mid(j, part.valueEnd - j).trimmed();
            i = end < 0 ? t.size() : end + 1;
        }
        result.append(part);
    }
    return result;
}

bool ConnectionString::isPasswordKey(const QString& key) {
    return key.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0 ||
           key.compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0;
}

ConnectionString ConnectionString::parse(const QString& text) {
    ConnectionString cs;
    cs.m_text = text.trimmed();
    if (cs.m_text.isEmpty())
        throw Error(QStringLiteral("The connection string is empty. Use the Connection button to "
                                   "set the database."));
    bool afterPassword = false;
    for (const Part& part : parts(cs.m_text)) {
        if (!part.hasEquals) {
            // An unquoted password that holds ';' leaves its rest here: never show that.
            if (afterPassword)
                throw Error(QStringLiteral("The connection string has a part without '=' after "
                                           "the password; write a password that holds ';' in "
                                           "quotes."));
            throw Error(QStringLiteral("The connection string part \"%1\" has no '='; "
                                       "write it as key=value.")
                            .arg(part.value));
        }
        if (part.key.isEmpty())
            throw Error(QStringLiteral("The connection string has a value without a key near "
                                       "\"%1\".")
                            .arg(withoutPassword(cs.m_text.mid(part.valueStart, 20))));
        if (part.unclosedQuote)
            throw Error(QStringLiteral("The connection string value of %1 has no closing %2.")
                            .arg(part.key, cs.m_text.at(part.valueStart)));
        afterPassword = isPasswordKey(part.key);
        cs.m_entries.append({part.key, part.value});
    }
    if (cs.m_entries.isEmpty())
        throw Error(QStringLiteral("The connection string \"%1\" names no database.")
                        .arg(withoutPassword(cs.m_text)));
    return cs;
}

QStringList ConnectionString::passwords(const QString& text) {
    QStringList result;
    for (const Part& part : parts(text))
        if (part.hasEquals && isPasswordKey(part.key) && !part.value.isEmpty())
            result.append(part.value);
    return result;
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
    // The same reading as parse(): whatever blanks or case the key has, if the connection would
    // take it as the password, the message does not show it. The rest of a password that holds
    // an unquoted ';' goes too.
    QString result = text;
    const QList<Part> all = parts(text);
    bool afterPassword = false;
    QList<const Part*> masked;
    for (const Part& part : all) {
        if (part.hasEquals)
            afterPassword = isPasswordKey(part.key);
        if (afterPassword)
            masked.append(&part);
    }
    for (qsizetype k = masked.size() - 1; k >= 0; --k)
        result.replace(masked[k]->valueStart, masked[k]->valueEnd - masked[k]->valueStart,
                       QStringLiteral("****"));
    return result;
}

QString ConnectionString::withoutPasswords(QString message, const QStringList& passwords) {
    for (const QString& password : passwords)
        if (!password.isEmpty())
            message.replace(password, QStringLiteral("****"), Qt::CaseInsensitive);
    return message;
}

QString ConnectionString::databasePath() const {
    if (contains(QStringLiteral("DBQ")))
        return value(QStringLiteral("DBQ"));
    return value(QStringLiteral("Data Source"));
}

} // namespace rp
