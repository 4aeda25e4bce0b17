#pragma once

#include "cli/CliCommand.h"

namespace rp::cli {

// dump CONNECTION STATEMENT [--out FILE]: writes the rows of a statement as the table dump.
class DumpCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("dump"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
