#pragma once

#include "cli/CliCommand.h"

namespace rp::cli {

// load CONNECTION FILE [--series NAME|NUMBER] [--dsid K] [--step STEP]
//      [--on-conflict refuse|keep|replace] [--file-offset OFFSET] [--site-offset OFFSET]
//      [--dry-run]: loads an agency's data file into an HDB.
class LoadCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("load"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
