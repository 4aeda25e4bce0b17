#pragma once

#include "cli/CliCommand.h"

#include <QTextStream>

namespace rp::cli {

// import SOURCE DEST: copies an HDB into a new one, with progress on standard error.
class ImportCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("import"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
