#include "link/dialog.h"

#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "tabs/radiotab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPortInfo>

Dialog::Dialog(MainWindow *window) : LinkDialog(window)
{
    serialPortLabel = new QLabel(tr("Serial port:"), this);
    serialPortComboBox = new QComboBox(this);
    // Editable, so that a device the system does not list (an adapter under a
    // custom name, a pseudo-terminal) can be typed; typing never adds an item.
    serialPortComboBox->setEditable(true);
    serialPortComboBox->setInsertPolicy(QComboBox::NoInsert);
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        serialPortComboBox->addItem(info.portName());
    if (mainWindow->radioTab->serialPortIndex != 100)
        serialPortComboBox->setCurrentIndex(mainWindow->radioTab->serialPortIndex);

    serialPortLabel->setMaximumWidth(100);
    serialPortComboBox->setMaximumWidth(100);
    layOut(serialPortLabel, serialPortComboBox);
    setWindowTitle(tr("Serial Interface"));
    serialPortComboBox->setFocus();
    setTabOrder(serialPortComboBox, readButton);
    setWindowIcon(QIcon(":/images/Rs232.png"));

    connect(readButton, SIGNAL(clicked()), this, SLOT(transaction()));
    connect(writeButton, SIGNAL(clicked()), this, SLOT(write()));
    connect(factoryButton, SIGNAL(clicked()), this, SLOT(factory()));
    connect(&thread, SIGNAL(response(QByteArray)), this, SLOT(showResponse(QByteArray)));
    connect(&thread, SIGNAL(error(QString)), this, SLOT(processError(QString)));
    connect(&thread, SIGNAL(timeout(QString)), this, SLOT(processTimeout(QString)));
    // Last, so that neither the filling nor the restored index is stored.
    connect(serialPortComboBox, SIGNAL(currentIndexChanged(int)), this, SLOT(processCombo(int)));
}

void Dialog::transaction()
{
    start(QStringLiteral("Read"), readButton);
}

void Dialog::write()
{
    start(QStringLiteral("Write"), writeButton);
}

void Dialog::factory()
{
    progressBar->setValue(0);
    start(QStringLiteral("Factory"), factoryButton);
}

void Dialog::start(const QString &requestType, QPushButton *button)
{
    transactionCount = 0;
    parameterError = 0;
    startedBy = button;
    setReady(false);
    setStatus(QString());
    // The worker never touches a widget: a Write gets the values taken here.
    const RadioConfig values = requestType == QLatin1String("Write")
                                   ? ConfigSnapshot::takeConfig(mainWindow)
                                   : RadioConfig();
    thread.transaction(serialPortComboBox->currentText(), requestType,
                       homeBypassCheckBox->isChecked(), values);
}

void Dialog::setReady(bool ready)
{
    readButton->setEnabled(ready);
    writeButton->setEnabled(ready);
    factoryButton->setEnabled(ready);
    serialPortComboBox->setEnabled(ready);
    // Disabling moved the focus on to Home Bypass, where the next Space
    // would toggle it.
    if (ready && startedBy)
        startedBy->setFocus();
}

void Dialog::processError(const QString &s)
{
    setReady(true);
    setStatus(tr("Error, %1").arg(s));
}

void Dialog::processTimeout(const QString &s)
{
    setReady(true);
    // A parameter error reported during the transaction stays in view.
    if (!parameterError)
        setStatus(s);
}

void Dialog::processCombo(int index)
{
    mainWindow->radioTab->serialPortIndex = index;
}

void Dialog::closeEvent(QCloseEvent *event)
{
    LinkDialog::closeEvent(event);
    thread.stop();
}
