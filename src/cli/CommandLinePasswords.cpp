#include "cli/CommandLinePasswords.h"

#include "core/db/ConnectionString.h"

namespace rp::cli {

bool takesConnectionString(const QString& command) {
    static const QStringList commands{"init-db", "demo-db", "sql",          "series",
                                      "dump",    "import",  "apply-update", "table"};
    return commands.contains(command);
}

QString passwordHelp() {
    return QStringLiteral(
        "Leave Password= out of a PostgreSQL connection string: every user of this machine can\n"
        "read a command line (ps). libpq then takes the password from PGPASSWORD, from the file\n"
        "that Passfile=FILE in the string or PGPASSFILE names, or from ~/.pgpass.\n");
}

QStringList passwordsIn(const QStringList& arguments) {
    QStringList passwords;
    for (const QString& argument : arguments)
        passwords += ConnectionString::passwords(argument);
    return passwords;
}

QString passwordOnCommandLineWarning() {
    return QStringLiteral("warning: a password on the command line can be read by every user of "
                          "this machine; leave Password= out and set PGPASSWORD or use ~/.pgpass");
}

} // namespace rp::cli
