#include "app/mainwindow/MainWindow.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    // Answered before the application starts, so that they need no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("rivelpost %d.%d.%d\n", RIVELPOST_VERSION_MAJOR, RIVELPOST_VERSION_MINOR,
                        RIVELPOST_VERSION_PATCH);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("Usage: rivelpost [--help] [--version]\n"
                       "Opens the main window on the database named in Rivelpost_setup.txt.\n"
                       "  --help     show this text\n"
                       "  --version  show the version\n",
                       stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rivelpost"));
    QApplication::setOrganizationName(QStringLiteral("Rivelpost"));
    QApplication::setDesktopFileName(QStringLiteral("rivelpost"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("rivelpost"), QIcon(QStringLiteral(":/rivelpost.svg"))));
    rp::MainWindow window;
    window.startUp();
    window.show();
    return app.exec();
}
