#pragma once

#include "cli/CliCommand.h"

namespace rp::cli {

// apply-update BOOK.xlsx [--sheet NAME] [--connection C] [--dry-run]: reads an edited update
// sheet back and writes its changes to the database.
class ApplyUpdateCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("apply-update"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
