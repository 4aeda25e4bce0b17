#pragma once

#include "cli/CliCommand.h"

#include <functional>
#include <memory>
#include <vector>

namespace rp::cli {

// Finds the subcommand named by the first argument and runs it: --help at either level prints
// help, a failure prints one line "rivelpost-cli: <message>" to err. Returns the exit status:
// 0 success, 1 failure, 2 wrong call.
class CliDispatcher {
public:
    CliDispatcher();
    int run(const QStringList& arguments, QTextStream& out, QTextStream& err);
    QString help() const;

private:
    // A command that parses its own arguments, prints its own help and messages and returns its
    // exit status.
    struct SelfContained {
        QString name;
        QString summary;
        std::function<int(const QStringList&)> run;
    };

    CliCommand* find(const QString& name) const;
    const SelfContained* findSelfContained(const QString& name) const;

    std::vector<std::unique_ptr<CliCommand>> m_commands;
    std::vector<SelfContained> m_selfContained;
};

} // namespace rp::cli
