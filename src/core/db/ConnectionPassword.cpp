#include "core/db/ConnectionPassword.h"

#include "core/base/Error.h"
#include "core/db/ConnectionString.h"

#include <QStringList>

namespace rp {

namespace {

bool isPasswordKey(const QString& key) {
    const QString k = key.trimmed();
    return k.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0 ||
           k.compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0;
}

// A value as the parser reads it back: quoted when it holds a ';' or starts with a quote.
QString quoted(const QString& value) {
    if (!value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('"')) &&
        !value.startsWith(QLatin1Char('\'')) && value.trimmed() == value)
        return value;
    const QChar quote = value.contains(QLatin1Char('"')) ? QLatin1Char('\'') : QLatin1Char('"');
    return quote + value + quote;
}

QList<QPair<QString, QString>> withoutPasswordEntries(const ConnectionString& cs) {
    QList<QPair<QString, QString>> entries;
    for (const auto& entry : cs.entries())
        if (!isPasswordKey(entry.first))
            entries.append({entry.first.trimmed().toLower(), entry.second});
    return entries;
}

} // namespace

QString connectionWithoutPassword(const QString& text) {
    try {
        const ConnectionString cs = ConnectionString::parse(text);
        QStringList parts;
        for (const auto& [key, value] : cs.entries())
            if (!isPasswordKey(key))
                parts.append(key.trimmed() + QLatin1Char('=') + quoted(value));
        return parts.join(QLatin1Char(';'));
    } catch (const Error&) {
        // Not a string the program reads: nothing of it may show a password.
        return ConnectionString::withoutPassword(text);
    }
}

bool hasPassword(const QString& text) {
    try {
        // Held by name: a loop over a temporary's member would read freed memory.
        const ConnectionString cs = ConnectionString::parse(text);
        for (const auto& entry : cs.entries())
            if (isPasswordKey(entry.first))
                return true;
    } catch (const Error&) {
        // Unreadable: it carries nothing the connection could use.
    }
    return false;
}

QString connectionWithKnownPassword(const QString& stored, const QString& known) {
    if (hasPassword(stored) || !hasPassword(known))
        return stored;
    try {
        if (withoutPasswordEntries(ConnectionString::parse(stored)) ==
            withoutPasswordEntries(ConnectionString::parse(known)))
            return known;
    } catch (const Error&) {
        // Either does not parse: they cannot be shown to name the same database.
    }
    return stored;
}

QString connectionWithPassword(const QString& stored, const QString& password) {
    QString text = stored.trimmed();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char(';')))
        text += QLatin1Char(';');
    return text + QStringLiteral("Password=") + quoted(password);
}

} // namespace rp
