// Dosarium: archive and register of scanned documents.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dosarium"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Dosarium"));
    window.show();
    return QApplication::exec();
}
