#include "app/mainwindow.h"

#include "app/datafile.h"
#include "app/messages.h"
#include "link/configsnapshot.h"
#include "link/dialog.h"
#include "link/dialogudp.h"
#include "tabs/featuretab.h"
#include "tabs/hometab.h"
#include "tabs/networktab.h"
#include "tabs/radiotab.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

MainWindow::MainWindow()
{
    fileIdentifier = QStringLiteral("Version");

    tabWidget = new QTabWidget;
    setCentralWidget(tabWidget);

    radioTab = new RadioTab(this);
    tabWidget->addTab(radioTab, tr("General"));
    networkTab = new NetworkTab(this);
    tabWidget->addTab(networkTab, tr("Network Info"));
    homeTab = new HomeTab(this);
    tabWidget->addTab(homeTab, tr("Home Channels"));
    featureTab = new FeatureTab(this);
    tabWidget->addTab(featureTab, tr("Optional Features"));

    tabWidget->setAutoFillBackground(true);
    tabWidget->setStyleSheet("background-color: #E6E6E3;");

    setWindowTitle(tr("Tarvo Radio II Configuration Tool"));
    setWindowIcon(QIcon(":/images/blue.png"));

    askOpenFileName = [](QWidget *parent) { return QFileDialog::getOpenFileName(parent); };
    askSaveFileName = [](QWidget *parent) {
        QFileDialog dialog(parent);
        dialog.setWindowModality(Qt::WindowModal);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };

    createActions();
    createMenus();
    createToolBars();

    statusBar()->showMessage(tr("Ready"));
    setFixedSize(650, 400);
    setCurrentFile(QString());
    setUnifiedTitleAndToolBarOnMac(true);
}

void MainWindow::createActions()
{
    openAct = new QAction(QIcon(":/images/open.png"), tr("&Open..."), this);
    openAct->setShortcuts(QKeySequence::Open);
    openAct->setStatusTip(tr("Open an existing file"));
    connect(openAct, SIGNAL(triggered()), this, SLOT(open()));

    saveAct = new QAction(QIcon(":/images/save.png"), tr("&Save"), this);
    saveAct->setShortcuts(QKeySequence::Save);
    saveAct->setStatusTip(tr("Save the document to disk"));
    connect(saveAct, SIGNAL(triggered()), this, SLOT(save()));

    saveAsAct = new QAction(tr("Save &As..."), this);
    saveAsAct->setShortcuts(QKeySequence::SaveAs);
    saveAsAct->setStatusTip(tr("Save the document under a new name"));
    connect(saveAsAct, SIGNAL(triggered()), this, SLOT(saveAs()));

    exitAct = new QAction(tr("E&xit"), this);
    exitAct->setShortcuts(QKeySequence::Quit);
    exitAct->setStatusTip(tr("Exit the application"));
    connect(exitAct, SIGNAL(triggered()), this, SLOT(close()));

    serialAct = new QAction(QIcon(":/images/Rs232.png"), tr("Serial"), this);
    serialAct->setStatusTip(tr("Make a serial connection to the radio"));
    connect(serialAct, SIGNAL(triggered()), this, SLOT(connectRadio()));

    networkAct = new QAction(QIcon(":/images/network.png"), tr("Network"), this);
    networkAct->setStatusTip(tr("Make a UDP connection to the radio"));
    connect(networkAct, SIGNAL(triggered()), this, SLOT(connectRadioUDP()));

    aboutAct = new QAction(tr("&About"), this);
    aboutAct->setStatusTip(tr("Show the application's About box"));
    connect(aboutAct, SIGNAL(triggered()), this, SLOT(about()));

    serialAct->setEnabled(true);
    networkAct->setEnabled(true);
}

void MainWindow::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(openAct);
    fileMenu->addAction(saveAct);
    fileMenu->addAction(saveAsAct);
    fileMenu->addSeparator();
    fileMenu->addAction(exitAct);

    connectMenu = menuBar()->addMenu(tr("&Connect"));
    connectMenu->addAction(serialAct);
    connectMenu->addAction(networkAct);

    helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(aboutAct);
}

void MainWindow::createToolBars()
{
    fileToolBar = addToolBar(tr("File"));
    fileToolBar->addAction(openAct);
    fileToolBar->addAction(saveAct);

    // No "Serial" tool bar: it would only ever be empty.
    connectToolBar = addToolBar(tr("Network"));
    connectToolBar->addAction(serialAct);
    connectToolBar->addAction(networkAct);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
}

void MainWindow::open()
{
    const QString fileName = askOpenFileName(this);
    if (!fileName.isEmpty())
        loadFile(fileName);
}

bool MainWindow::save()
{
    if (curFile.isEmpty())
        return saveAs();
    return saveFile(curFile);
}

bool MainWindow::saveAs()
{
    const QString fileName = askSaveFileName(this);
    if (fileName.isEmpty())
        return false;
    return saveFile(fileName);
}

bool MainWindow::connectRadio()
{
    serialAct->setEnabled(false);
    networkAct->setEnabled(false);
    serialDialog = new Dialog(this);
    serialDialog->show();
    return true;
}

bool MainWindow::connectRadioUDP()
{
    serialAct->setEnabled(false);
    networkAct->setEnabled(false);
    udpDialog = new DialogUDP(this);
    udpDialog->show();
    return true;
}

void MainWindow::about()
{
    QMessageBox::about(this, tr("Tarvo Radio II Configuration Tool          "),
                       tr("Application Revision 1.2"));
}

void MainWindow::setCurrentFile(const QString &fileName)
{
    curFile = fileName;
    setWindowModified(false);
    setWindowFilePath(curFile.isEmpty() ? QStringLiteral("untitled.txt") : curFile);
}

bool MainWindow::saveFile(const QString &fileName)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStringList fields =
        DataFile::fieldsFromConfig(ConfigSnapshot::takeConfig(this), featureTab->checks);
    fields[0] = fileIdentifier;
    QString error;
    const bool saved = DataFile::saveFields(fileName, fields, &error);
    QApplication::restoreOverrideCursor();
    if (!saved) {
        showWarning(this, tr("Application"), tr("Cannot write file %1:\n%2.").arg(fileName, error));
        return false;
    }
    setCurrentFile(fileName);
    statusBar()->showMessage(tr("File saved"), 2000);
    return true;
}

void MainWindow::loadFile(const QString &fileName)
{
    QStringList fields;
    QString error;
    if (!DataFile::loadFields(fileName, &fields, &error)) {
        showWarning(this, tr("Application"), tr("Cannot read file %1:\n%2.").arg(fileName, error));
        return;
    }
    switch (DataFile::checkHeader(fields.at(0), fields.at(1))) {
    case DataFile::Verdict::NotRecognized:
        showWarning(this, tr("Incorrect file type"), tr("This is not a recognized data file!"));
        return;
    case DataFile::Verdict::TooNew:
        showWarning(this, tr("Outdated Program"),
                    tr("A newer version of program is required to load this data file!"));
        return;
    case DataFile::Verdict::Accepted:
        break;
    }
    ConfigSnapshot::applyConfig(this, DataFile::configFromFields(fields));
    setCurrentFile(fileName);
    statusBar()->showMessage(tr("File loaded"), 2000);
}
