#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace rp {

class CommandPrompts;

// The Help command: asks first, then opens the user guide (installed with the program) in the
// desktop's browser, or the online help page when no guide is installed. When no browser can be
// started the address is offered for copying.
class HelpCommand {
public:
    // Opens an address in the desktop's default application; false when none could be started.
    using Opener = std::function<bool(const QUrl&)>;

    // `browser` names what the opener starts, for the message when it cannot.
    HelpCommand(CommandPrompts& prompts, Opener opener, QString guidePath,
                QString browser = desktopBrowser());
    void run();

    // "Rivelpost" with the version and the legal notice.
    static QString versionTitle();
    // The online help page, without a scheme.
    static QString helpAddress();
    static QString helpHost();
    // The installed user guide, or an empty text when none is found.
    static QString installedGuide();
    // The program the desktop opens web pages with, as Qt looks for it; empty when there is none.
    static QString desktopBrowser();
    // The title of the box offering the address when `browser` could not be started.
    static QString notStartedTitle(const QString& browser);

private:
    CommandPrompts& m_prompts;
    Opener m_opener;
    QString m_guidePath;
    QString m_browser;
};

} // namespace rp
