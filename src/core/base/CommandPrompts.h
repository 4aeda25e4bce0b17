#pragma once

#include <QString>
#include <QStringList>

namespace rp {

// The questions and messages of the Connection and Help commands, behind an interface so tests
// can answer them.
class CommandPrompts {
public:
    virtual ~CommandPrompts() = default;
    // A one-line input box with a default answer, a list of recent answers and a way to pick a
    // database file. Cancel gives an empty text.
    virtual QString askConnectionString(const QString& title, const QString& prompt,
                                        const QString& defaultAnswer,
                                        const QStringList& recent) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool askYesNo(const QString& title, const QString& text) = 0;
    // A file dialog for a file to be made, starting at a suggested path; empty when cancelled.
    virtual QString askNewFile(const QString& title, const QString& suggestedPath) = 0;
    // A message with an OK button; an empty title leaves the program's name.
    virtual void message(const QString& title, const QString& text) = 0;
    // A one-line box holding a selectable text to copy; its answer is not used.
    virtual void offerText(const QString& title, const QString& prompt, const QString& text) = 0;
};

// What the Connection command changes on the main window.
class ConnectionView {
public:
    virtual ~ConnectionView() = default;
    virtual QString caption() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    // The new connection string; the next query opens the database afresh.
    virtual void setConnectionString(const QString& connectionString) = 0;
    // Hourglass pointer and hidden grid while long work runs; normal pointer and grid afterwards.
    virtual void setBusy(bool busy) = 0;
    // Closes the shown result and the connection, so the file can be rewritten or replaced.
    virtual void releaseDatabase() = 0;
    // Lets pending window events run (a repaint of the caption before long work).
    virtual void processEvents() {}
    // The command's end: normal pointer, the grid shown and focused.
    virtual void finish() = 0;
};

} // namespace rp
