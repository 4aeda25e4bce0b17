#pragma once

#include "core/base/Error.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace rp::cli {

// A wrong call of a command (missing or extra arguments, an unknown option): the dispatcher adds
// a pointer to --help and exits with status 2.
class UsageError : public Error {
public:
    using Error::Error;
};

// One subcommand of rivelpost-cli.
class CliCommand {
public:
    virtual ~CliCommand() = default;
    virtual QString name() const = 0;
    // One line for the list of commands.
    virtual QString summary() const = 0;
    // The full text --help prints.
    virtual QString help() const = 0;
    // Runs with the arguments that follow the command's name and writes its result to out.
    // Throws UsageError for a wrong call and rp::Error for a failure.
    virtual void run(const QStringList& arguments, QTextStream& out) = 0;
};

} // namespace rp::cli
