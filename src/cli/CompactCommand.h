#pragma once

#include "cli/CliCommand.h"

namespace rp::cli {

// compact DBFILE: compacts and checks an SQLite HDB file, keeping the previous file as a backup.
class CompactCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("compact"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
