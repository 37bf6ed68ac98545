#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(images);

    QApplication app(argc, argv);
    QApplication::setOrganizationName("KVLT");
    QApplication::setApplicationName("Velmora Radio");

    MainWindow mainWindow;
    mainWindow.show();
    return app.exec();
}
