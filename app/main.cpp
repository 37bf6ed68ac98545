#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(images);

    // The window and its dialogs have fixed pixel sizes, laid out for text at
    // 96 dots per inch. On a desktop scaled above that, Qt 6 always scales
    // the whole window; Qt 5 would enlarge only the text and cut it off, so it
    // is told to scale the window as well (to whole factors, its default).
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);
    QApplication::setOrganizationName("KVLT");
    QApplication::setApplicationName("Velmora Radio");

    MainWindow mainWindow;
    mainWindow.show();
    return app.exec();
}
