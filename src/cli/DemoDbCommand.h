#pragma once

#include "cli/CliCommand.h"

namespace rp::cli {

// demo-db PATH [--until YYYY-MM-DD]: the demo HDB in a new SQLite file.
class DemoDbCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("demo-db"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
