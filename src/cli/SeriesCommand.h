#pragma once

#include "cli/CliCommand.h"
#include "core/base/TimeStep.h"

namespace rp::cli {

// The time step a --step value names (any case); throws UsageError for anything else.
TimeStep stepNamed(const QString& name);

// series CONNECTION --dsid K --step STEP --from DATE --to DATE [--out FILE]: writes the series
// file that GO followed by Graph/Table writes for that parameter.
class SeriesCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("series"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
