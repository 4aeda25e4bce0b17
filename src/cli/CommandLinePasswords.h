#pragma once

#include <QString>
#include <QStringList>

namespace rp::cli {

// Whether the command of that name takes a connection string.
bool takesConnectionString(const QString& command);

// What every command that takes a connection string says about passwords in its --help.
QString passwordHelp();

// The passwords that connection strings among the arguments hold, to warn of them and to strike
// them out of every message.
QStringList passwordsIn(const QStringList& arguments);

// The warning printed on standard error when a password came on the command line.
QString passwordOnCommandLineWarning();

} // namespace rp::cli
