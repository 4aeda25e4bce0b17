#pragma once

#include "cli/CliCommand.h"

namespace rp::cli {

// sql CONNECTION STATEMENT: runs one statement; rows come out tab-separated as the grid shows
// them, an action statement reports "FINISHED: ".
class SqlCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("sql"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
