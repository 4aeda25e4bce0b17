#include "cli/AcreFeetCommand.h"

#include "core/export/AcreFeet.h"

namespace rp::cli {

QString AcreFeetCommand::summary() const {
    return QStringLiteral("convert a series file of flows in CFS to acre-feet, in place");
}

QString AcreFeetCommand::help() const {
    return QStringLiteral(
        "Usage: rivelpost-cli acre-feet FILE\n"
        "Converts a series file whose second line names CFS to the acre-feet that flow in each\n"
        "time slot, as the Graph/Table dialog's Acre-Feet box does. The file is replaced whole;\n"
        "a file it cannot read is left as it was.\n");
}

void AcreFeetCommand::run(const QStringList& arguments, QTextStream& out) {
    if (arguments.size() != 1)
        throw UsageError(QStringLiteral("acre-feet takes one series file"));
    if (!convertFileToAcreFeet(arguments[0]))
        throw Error(
            QStringLiteral("%1 holds no flows in CFS; nothing was converted.").arg(arguments[0]));
    out << "Converted " << arguments[0] << '\n';
}

} // namespace rp::cli
