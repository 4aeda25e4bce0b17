#pragma once

#include "cli/CliCommand.h"

namespace rp::cli {

// acre-feet FILE: converts a series file of flows in CFS to acre-feet, in place.
class AcreFeetCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("acre-feet"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
