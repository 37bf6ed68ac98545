#include "app/mainwindow.h"
#include "tabs/featuretab.h"
#include "tabs/hometab.h"
#include "tabs/networktab.h"
#include "tabs/radiotab.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void images_data();
    void images();
    void windowShell();
    void tabs();
    void menus_data();
    void menus();
    void actions_data();
    void actions();
    void toolBars();
    void saveWithoutFileAsksForName();
    void cancelledDialogsChangeNothing();
    void closesWithoutPrompt();
};

void MainWindowTest::initTestCase()
{
    Q_INIT_RESOURCE(images);
}

void MainWindowTest::images_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");

    QTest::newRow("blue") << ":/images/blue.png" << QSize(32, 32);
    QTest::newRow("open") << ":/images/open.png" << QSize(32, 32);
    QTest::newRow("save") << ":/images/save.png" << QSize(32, 32);
    QTest::newRow("Rs232") << ":/images/Rs232.png" << QSize(50, 50);
    QTest::newRow("network") << ":/images/network.png" << QSize(128, 128);
    for (const char *name : {"new", "copy", "cut", "paste", "radio"})
        QTest::newRow(name) << QString(":/images/%1.png").arg(name) << QSize(32, 32);
}

void MainWindowTest::images()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
}

void MainWindowTest::windowShell()
{
    MainWindow window;
    QCOMPARE(window.windowTitle(), QString("Tarvo Radio II Configuration Tool"));
    QCOMPARE(window.fileIdentifier, QString("Version"));
    QCOMPARE(window.minimumSize(), QSize(650, 400));
    QCOMPARE(window.maximumSize(), QSize(650, 400));
    QCOMPARE(window.statusBar()->currentMessage(), QString("Ready"));
    QVERIFY(window.curFile.isEmpty());
    QCOMPARE(window.windowFilePath(), QString("untitled.txt"));
    QCOMPARE(window.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    QVERIFY(!window.serialDialog);
    QVERIFY(!window.udpDialog);
    QCOMPARE(window.centralWidget(), window.tabWidget);
    QVERIFY(window.tabWidget->autoFillBackground());
    QCOMPARE(window.tabWidget->styleSheet(), QString("background-color: #E6E6E3;"));
}

void MainWindowTest::tabs()
{
    MainWindow window;
    QCOMPARE(window.tabWidget->count(), 4);
    const QStringList labels = {"General", "Network Info", "Home Channels", "Optional Features"};
    const QList<QWidget *> pages = {window.radioTab, window.networkTab, window.homeTab,
                                    window.featureTab};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(window.tabWidget->tabText(i), labels.at(i));
        QCOMPARE(window.tabWidget->widget(i), pages.at(i));
    }
}

void MainWindowTest::menus_data()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("file") << 0 << "&File"
                          << QStringList{"&Open...", "&Save", "Save &As...", "", "E&xit"};
    QTest::newRow("connect") << 1 << "&Connect" << QStringList{"Serial", "Network"};
    QTest::newRow("help") << 2 << "&Help" << QStringList{"&About"};
}

void MainWindowTest::menus()
{
    QFETCH(int, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);

    MainWindow window;
    const QList<QAction *> bar = window.menuBar()->actions();
    QCOMPARE(bar.size(), 3);
    QMenu *shown = bar.at(menu)->menu();
    QVERIFY(shown);
    QCOMPARE(shown->title(), title);
    const QList<QMenu *> members = {window.fileMenu, window.connectMenu, window.helpMenu};
    QCOMPARE(shown, members.at(menu));
    QStringList texts;
    for (QAction *action : shown->actions())
        texts << (action->isSeparator() ? QString() : action->text());
    QCOMPARE(texts, entries);
}

void MainWindowTest::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<bool>("icon");

    QTest::newRow("open") << "openAct"
                          << "&Open..." << QKeySequence(QKeySequence::Open)
                          << "Open an existing file" << true;
    QTest::newRow("save") << "saveAct"
                          << "&Save" << QKeySequence(QKeySequence::Save)
                          << "Save the document to disk" << true;
    QTest::newRow("save as") << "saveAsAct"
                             << "Save &As..." << QKeySequence(QKeySequence::SaveAs)
                             << "Save the document under a new name" << false;
    QTest::newRow("exit") << "exitAct"
                          << "E&xit" << QKeySequence(QKeySequence::Quit) << "Exit the application"
                          << false;
    QTest::newRow("serial") << "serialAct"
                            << "Serial" << QKeySequence() << "Make a serial connection to the radio"
                            << true;
    QTest::newRow("network") << "networkAct"
                             << "Network" << QKeySequence() << "Make a UDP connection to the radio"
                             << true;
    QTest::newRow("about") << "aboutAct"
                           << "&About" << QKeySequence() << "Show the application's About box"
                           << false;
}

void MainWindowTest::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);
    QFETCH(QString, tip);
    QFETCH(bool, icon);

    MainWindow window;
    const QHash<QString, QAction *> byName = {
        {"openAct", window.openAct},     {"saveAct", window.saveAct},
        {"saveAsAct", window.saveAsAct}, {"exitAct", window.exitAct},
        {"serialAct", window.serialAct}, {"networkAct", window.networkAct},
        {"aboutAct", window.aboutAct}};
    QAction *action = byName.value(name);
    QVERIFY(action);
    QCOMPARE(action->parent(), &window);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut(), shortcut);
    QCOMPARE(action->statusTip(), tip);
    QCOMPARE(!action->icon().isNull(), icon);
    QVERIFY(action->isEnabled());
}

void MainWindowTest::toolBars()
{
    MainWindow window;
    const QList<QToolBar *> bars = window.findChildren<QToolBar *>();
    QCOMPARE(bars.size(), 2);
    QCOMPARE(window.fileToolBar->windowTitle(), QString("File"));
    QCOMPARE(window.fileToolBar->actions(), (QList<QAction *>{window.openAct, window.saveAct}));
    QCOMPARE(window.connectToolBar->windowTitle(), QString("Network"));
    QCOMPARE(window.connectToolBar->actions(),
             (QList<QAction *>{window.serialAct, window.networkAct}));
    QCOMPARE(window.toolBarArea(window.fileToolBar), Qt::TopToolBarArea);
}

void MainWindowTest::saveWithoutFileAsksForName()
{
    MainWindow window;
    int asked = 0;
    window.askSaveFileName = [&asked](QWidget *) {
        ++asked;
        return QString();
    };
    window.saveAct->trigger();
    QCOMPARE(asked, 1);
    bool result = true;
    QVERIFY(QMetaObject::invokeMethod(&window, "save", Qt::DirectConnection,
                                      Q_RETURN_ARG(bool, result)));
    QCOMPARE(asked, 2);
    QCOMPARE(result, false);
    window.saveAsAct->trigger();
    QCOMPARE(asked, 3);
}

void MainWindowTest::cancelledDialogsChangeNothing()
{
    MainWindow window;
    int asked = 0;
    window.askOpenFileName = [&asked](QWidget *) {
        ++asked;
        return QString();
    };
    window.askSaveFileName = window.askOpenFileName;
    window.radioTab->userDescriptionEdit->setText("Edited");
    window.openAct->trigger();
    window.saveAsAct->trigger();
    QCOMPARE(asked, 2);
    QVERIFY(window.curFile.isEmpty());
    QCOMPARE(window.radioTab->userDescriptionEdit->text(), QString("Edited"));
    QCOMPARE(window.statusBar()->currentMessage(), QString("Ready"));
}

void MainWindowTest::closesWithoutPrompt()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.radioTab->dtmfDelayEdit->setText("12");
    window.exitAct->trigger();
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
