#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rivelpost"));
    QApplication::setOrganizationName(QStringLiteral("Rivelpost"));
    QLabel window(QStringLiteral("Rivelpost"));
    window.show();
    return app.exec();
}
