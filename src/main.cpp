#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentor_Rubrica"));
    QLabel label(QStringLiteral("Zentor_Rubrica"));
    label.show();
    return app.exec();
}
