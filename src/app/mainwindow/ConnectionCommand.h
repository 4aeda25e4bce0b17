#pragma once

#include "core/base/Progress.h"

#include <QString>

namespace rp {

class CommandPrompts;
class ConnectionView;
class ContigRunner;
class SqliteCompactor;

// The Connection command: asks for a new connection string, stores it in line 1 of the settings
// file (line 2 kept), and for a database file leads on to its maintenance.
class ConnectionCommand {
public:
    ConnectionCommand(CommandPrompts& prompts, ConnectionView& view, ContigRunner& contig,
                      SqliteCompactor& compactor);
    // Reports every failure through the prompts and always ends with the view's finish.
    void run();
    // Told of the rows copied while an Access database is converted to SQLite; may cancel it.
    void setConversionProgress(Progress progress) { m_conversionProgress = std::move(progress); }

private:
    void ask(const QString& savedCaption);

    CommandPrompts& m_prompts;
    ConnectionView& m_view;
    ContigRunner& m_contig;
    SqliteCompactor& m_compactor;
    Progress m_conversionProgress;
};

} // namespace rp
