#pragma once

#include "core/base/Progress.h"

#include <QString>

namespace rp {

class CommandPrompts;
class ConnectionView;

// "Convert to SQLite...": at the end of the Connection command, when the connection names an
// Access database (which the program only reads), offers to copy it whole into a new SQLite
// HDB, asks where, converts with progress in the window caption, and offers to switch the
// connection to the new file.
class AccessConversion {
public:
    // progress, when given, learns the rows copied so far and can cancel: nothing is then left
    // of the new file.
    AccessConversion(CommandPrompts& prompts, ConnectionView& view, Progress progress = {});

    // Reads the connection string from the settings file. Returns the new connection string when
    // the user converted and switched to it (the settings file then names it), else empty.
    // Throws rp::Error when the conversion fails; nothing is then left of the new file.
    QString offer();

    static inline const char* title = "Convert to SQLite...";

    // A new file for the copy beside the Access file: its name with .sqlite, numbered when
    // that exists already.
    static QString suggestedPath(const QString& accessPath);

private:
    void switchTo(const QString& connectionString);

    CommandPrompts& m_prompts;
    ConnectionView& m_view;
    Progress m_progress;
};

} // namespace rp
