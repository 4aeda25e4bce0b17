#include "app/mainwindow/MainWindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
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
