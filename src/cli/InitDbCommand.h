#pragma once

#include "cli/CliCommand.h"

namespace rp::cli {

// init-db CONNECTION: an empty HDB in a new SQLite file.
class InitDbCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("init-db"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
