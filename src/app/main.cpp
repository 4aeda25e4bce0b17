#include "app/Form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rivelpost"));
    QApplication::setOrganizationName(QStringLiteral("Rivelpost"));
    rp::Form1 window;
    window.startUp();
    window.show();
    return app.exec();
}
