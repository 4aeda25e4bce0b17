#include "cli/DumpCommand.h"

#include "core/db/Database.h"
#include "core/series/TableDump.h"

namespace rp::cli {

QString DumpCommand::summary() const {
    return QStringLiteral("write the rows of a statement as the tab-separated table dump");
}

QString DumpCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli dump CONNECTION STATEMENT [--out FILE]\n"
        "Runs STATEMENT (Access dialect) and writes its rows as the Graph/Table command writes\n"
        "TMP.out: the field names, then one line per row, every value followed by a TAB, CR LF\n"
        "line ends (default: TMP.out in the current folder).\n");
}

void DumpCommand::run(const QStringList& arguments, QTextStream& out) {
    QStringList positional;
    QString path = QStringLiteral("TMP.out");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--out") {
            if (i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("--out needs a value"));
            path = arguments[++i];
        } else {
            positional.append(arguments[i]);
        }
    }
    if (positional.size() != 2)
        throw UsageError(QStringLiteral("dump takes the connection string and the statement"));
    const auto database = openDatabase(positional[0]);
    const auto records = database->open(positional[1], LockType::ReadOnly);
    if (records->fieldCount() == 0)
        throw Error(QStringLiteral("The statement returns no rows to write."));
    writeTableDump(*records, path);
    out << "Wrote " << records->recordCount() << " rows to " << path << '\n';
}

} // namespace rp::cli
