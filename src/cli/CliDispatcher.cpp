#include "cli/CliDispatcher.h"

#include "cli/AcreFeetCommand.h"
#include "cli/ApplyUpdateCommand.h"
#include "cli/ChartCommand.h"
#include "cli/CompactCommand.h"
#include "cli/DemoDbCommand.h"
#include "cli/DumpCommand.h"
#include "cli/ImportCommand.h"
#include "cli/InitDbCommand.h"
#include "cli/LoadCommand.h"
#include "cli/SeriesCommand.h"
#include "cli/SqlCommand.h"
#include "cli/TableCommand.h"
#include "cli/XlsxCommand.h"

#include "cli/CommandLinePasswords.h"
#include "core/db/ConnectionString.h"

#include <QRegularExpression>
#include <algorithm>

namespace rp::cli {

namespace {

const QString program = QStringLiteral("rivelpost-cli");

bool isHelp(const QString& argument) {
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

// Messages from the database may run over several lines; the command line reports one.
QString oneLine(const QString& message) {
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return QString(message).replace(space, QStringLiteral(" ")).trimmed();
}

} // namespace

CliDispatcher::CliDispatcher() {
    m_commands.push_back(std::make_unique<InitDbCommand>());
    m_commands.push_back(std::make_unique<DemoDbCommand>());
    m_commands.push_back(std::make_unique<SqlCommand>());
    m_commands.push_back(std::make_unique<CompactCommand>());
    m_commands.push_back(std::make_unique<SeriesCommand>());
    m_commands.push_back(std::make_unique<DumpCommand>());
    m_commands.push_back(std::make_unique<AcreFeetCommand>());
    m_commands.push_back(std::make_unique<ImportCommand>());
    m_commands.push_back(std::make_unique<LoadCommand>());
    m_commands.push_back(std::make_unique<XlsxCommand>());
    m_commands.push_back(std::make_unique<ApplyUpdateCommand>());
    m_selfContained.push_back({QStringLiteral("chart"),
                               QStringLiteral("draw series files as a PNG, SVG or PDF chart"),
                               runChartCommand});
    m_selfContained.push_back({QStringLiteral("table"),
                               QStringLiteral("write the table report of a series file"),
                               runTableCommand});
}

const CliDispatcher::SelfContained* CliDispatcher::findSelfContained(const QString& name) const {
    for (const auto& command : m_selfContained)
        if (command.name == name)
            return &command;
    return nullptr;
}

CliCommand* CliDispatcher::find(const QString& name) const {
    for (const auto& command : m_commands)
        if (command->name() == name)
            return command.get();
    return nullptr;
}

QString CliDispatcher::help() const {
    QString text = QStringLiteral("Usage: %1 COMMAND [ARGUMENTS]\n"
                                  "Maintains a hydrologic time-series database (HDB) from the "
                                  "command line.\n\nCommands:\n")
                       .arg(program);
    // The widest name sets the column, so no name runs into its summary.
    qsizetype width = 0;
    for (const auto& command : m_commands)
        width = std::max(width, command->name().size());
    for (const auto& command : m_selfContained)
        width = std::max(width, command.name.size());
    width += 2;
    for (const auto& command : m_commands)
        text += QStringLiteral("  %1%2\n")
                    .arg(command->name().leftJustified(width), command->summary());
    for (const auto& command : m_selfContained)
        text += QStringLiteral("  %1%2\n").arg(command.name.leftJustified(width), command.summary);
    text += QStringLiteral("\nRun \"%1 COMMAND --help\" for the arguments of a command, \"%1 "
                           "--version\" for the version.\n")
                .arg(program);
    return text;
}

int CliDispatcher::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.isEmpty()) {
        err << program << ": no command given; run \"" << program << " --help\" for the list\n";
        return 2;
    }
    const QString& name = arguments.first();
    if (isHelp(name) || name == QLatin1String("help")) {
        out << help();
        return 0;
    }
    if (name == QLatin1String("--version")) {
        out << program << ' ' << RIVELPOST_VERSION_MAJOR << '.' << RIVELPOST_VERSION_MINOR << '.'
            << RIVELPOST_VERSION_PATCH << '\n';
        return 0;
    }
    // Whatever a message quotes, the passwords given here are not shown again.
    const QStringList passwords = passwordsIn(arguments.mid(1));
    const auto shown = [&passwords](const QString& message) {
        return oneLine(ConnectionString::withoutPasswords(message, passwords));
    };
    const bool helpOnly = std::any_of(arguments.begin() + 1, arguments.end(), isHelp);
    if (!passwords.isEmpty() && !helpOnly)
        err << program << ": " << passwordOnCommandLineWarning() << '\n';
    if (const SelfContained* own = findSelfContained(name)) {
        out.flush();
        err.flush();
        return own->run(arguments.mid(1));
    }
    CliCommand* command = find(name);
    if (!command) {
        err << program << ": unknown command \"" << oneLine(name) << "\"; run \"" << program
            << " --help\" for the list\n";
        return 2;
    }
    const QStringList rest = arguments.mid(1);
    if (helpOnly) {
        out << command->help();
        if (takesConnectionString(name))
            out << passwordHelp();
        return 0;
    }
    try {
        command->run(rest, out);
        out.flush();
        return 0;
    } catch (const UsageError& e) {
        out.flush();
        err << program << ": " << shown(e.message()) << "; run \"" << program << ' '
            << command->name() << " --help\" for its usage\n";
        return 2;
    } catch (const Error& e) {
        out.flush();
        err << program << ": " << shown(e.message()) << '\n';
        return 1;
    }
}

} // namespace rp::cli
