#include "providers/postgres/PostgresSettings.h"

#include "core/base/Error.h"
#include "core/db/ConnectionString.h"

#include <initializer_list>

namespace rp {

namespace {

QString firstOf(const ConnectionString& cs, std::initializer_list<const char*> keys) {
    for (const char* key : keys)
        if (cs.contains(QLatin1String(key)))
            return cs.value(QLatin1String(key));
    return {};
}

} // namespace

PostgresSettings PostgresSettings::from(const ConnectionString& cs) {
    PostgresSettings s;
    s.host = firstOf(cs, {"Host", "Server", "Data Source"});
    if (s.host.isEmpty())
        s.host = QStringLiteral("localhost");
    const QString port = firstOf(cs, {"Port"});
    if (!port.isEmpty()) {
        bool ok = false;
        s.port = port.toInt(&ok);
        if (!ok || s.port < 1 || s.port > 65535)
            throw Error(QStringLiteral("The port \"%1\" in the connection string is not a number "
                                       "from 1 to 65535.")
                            .arg(port));
    }
    s.database = firstOf(cs, {"Database", "Initial Catalog", "DBName"});
    if (s.database.isEmpty())
        throw Error(QStringLiteral("The connection string names no PostgreSQL database; write "
                                   "Database=NAME."));
    s.user = firstOf(cs, {"User ID", "UID", "User", "Username"});
    s.password = firstOf(cs, {"Password", "PWD"});
    s.passfile = firstOf(cs, {"Passfile"});
    // The driver takes its options separated by ';', which it turns into blanks.
    if (s.passfile.contains(QLatin1Char(';')))
        throw Error(QStringLiteral("The password file \"%1\" has a ';' in its name, which the "
                                   "PostgreSQL driver cannot pass on; move or rename it.")
                        .arg(s.passfile));
    s.schema = firstOf(cs, {"Schema", "Search Path"});
    return s;
}

QString PostgresSettings::connectOptions() const {
    QString options = QStringLiteral("connect_timeout=10");
    if (!passfile.isEmpty()) {
        QString quoted = passfile;
        quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        quoted.replace(QLatin1Char('\''), QLatin1String("\\'"));
        options += QStringLiteral(";passfile='%1'").arg(quoted);
    }
    return options;
}

QString PostgresSettings::location() const {
    return QStringLiteral("%1:%2/%3").arg(host).arg(port).arg(database);
}

} // namespace rp
