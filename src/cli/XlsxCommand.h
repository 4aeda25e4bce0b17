#pragma once

#include "cli/CliCommand.h"

namespace rp::cli {

// xlsx INPUT --out BOOK.xlsx [--table] [--per-day N]: the spreadsheet export of a series file (with
// its chart) or of a report file, as SAVE with Excel makes it; with --update --connection C the
// update workbook, as UPDATE database with Excel makes it.
class XlsxCommand : public CliCommand {
public:
    QString name() const override { return QStringLiteral("xlsx"); }
    QString summary() const override;
    QString help() const override;
    void run(const QStringList& arguments, QTextStream& out) override;
};

} // namespace rp::cli
