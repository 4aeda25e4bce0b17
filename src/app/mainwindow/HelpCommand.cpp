#include "app/mainwindow/HelpCommand.h"

#include "core/base/CommandPrompts.h"
#include "core/base/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace rp {

HelpCommand::HelpCommand(CommandPrompts& prompts, Opener opener, QString guidePath, QString browser)
    : m_prompts(prompts), m_opener(std::move(opener)), m_guidePath(std::move(guidePath)),
      m_browser(std::move(browser)) {}

QString HelpCommand::desktopBrowser() {
    // The desktop's opener first, then the user's choice, then common browsers.
    QStringList candidates{QStringLiteral("xdg-open")};
    for (const char* variable : {"DEFAULT_BROWSER", "BROWSER"})
        if (const QString value = qEnvironmentVariable(variable).section(QLatin1Char(':'), 0, 0);
            !value.isEmpty())
            candidates << value;
    candidates << QStringLiteral("firefox") << QStringLiteral("chromium")
               << QStringLiteral("google-chrome");
    for (const QString& candidate : candidates)
        if (!QStandardPaths::findExecutable(candidate).isEmpty())
            return QFileInfo(candidate).fileName();
    return {};
}

QString HelpCommand::notStartedTitle(const QString& browser) {
    return browser.isEmpty()
               ? QStringLiteral("No web browser found.")
               : QStringLiteral("The web browser (%1) could not be started.").arg(browser);
}

QString HelpCommand::versionTitle() {
    return QStringLiteral("Rivelpost %1.%2.%3 %4")
        .arg(RIVELPOST_VERSION_MAJOR)
        .arg(RIVELPOST_VERSION_MINOR)
        .arg(RIVELPOST_VERSION_PATCH)
        .arg(QStringLiteral(RIVELPOST_LEGAL_NOTICE));
}

QString HelpCommand::helpHost() {
    return QStringLiteral("rivelpost.example.org");
}

QString HelpCommand::helpAddress() {
    return helpHost() + QStringLiteral("/Help.aspx");
}

QString HelpCommand::installedGuide() {
    const QString bin = QCoreApplication::applicationDirPath();
    // Installed under share/ beside bin/; a build tree reads the guide from the sources.
    const QStringList candidates{bin + QStringLiteral("/../share/rivelpost/help/index.html"),
                                 bin + QStringLiteral("/help/index.html"),
#ifdef RIVELPOST_HELP_SOURCE
                                 QStringLiteral(RIVELPOST_HELP_SOURCE)
#endif
    };
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    return {};
}

void HelpCommand::run() {
    if (!m_prompts.askYesNo(versionTitle(), QStringLiteral("Would you like to go to online help?")))
        return;
    try {
        const bool local = !m_guidePath.isEmpty() && QFileInfo(m_guidePath).isFile();
        const QString address = local ? QUrl::fromLocalFile(m_guidePath).toString() : helpAddress();
        const QUrl url = local ? QUrl::fromLocalFile(m_guidePath)
                               : QUrl(QStringLiteral("https://") + helpAddress());
        if (!url.isValid())
            throw Error(QStringLiteral("The help address %1 is not valid.").arg(address));
        if (!m_opener || !m_opener(url))
            m_prompts.offerText(notStartedTitle(m_browser),
                                QStringLiteral("Copy this address to your browser for help: "),
                                address);
    } catch (const Error& e) {
        m_prompts.message(QString(),
                          e.message() + QStringLiteral("... Help is available at ") + helpHost());
    }
}

} // namespace rp
