#include "link/dialogudp.h"

#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "link/udpwalk.h"
#include "link/unitsocket.h"
#include "tabs/colour.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUdpSocket>

namespace {
const char defaultAddress[] = "10.10.9.13";
}

DialogUDP::DialogUDP(MainWindow *window) : LinkDialog(window)
{
    ipAddressLabel = new QLabel(tr("IP Address:"), this);
    ipAddressEdit = new QLineEdit(QString::fromLatin1(defaultAddress), this);
    ipAddressLabel->setMaximumWidth(100);
    ipAddressEdit->setMaximumWidth(120);
    layOut(ipAddressLabel, ipAddressEdit);
    setWindowTitle(tr("Network Interface"));
    setWindowIcon(QIcon(":/images/network.png"));

    // The base created the buttons first; the address comes first by keyboard.
    setTabOrder(ipAddressEdit, readButton);
    setTabOrder(readButton, writeButton);
    setTabOrder(writeButton, homeBypassCheckBox);
    setTabOrder(homeBypassCheckBox, factoryButton);
    ipAddressEdit->setFocus();

    connect(readButton, SIGNAL(clicked()), this, SLOT(transaction()));
    connect(writeButton, SIGNAL(clicked()), this, SLOT(write()));
    connect(factoryButton, SIGNAL(clicked()), this, SLOT(factory()));
    connect(ipAddressEdit, SIGNAL(textChanged(QString)), this, SLOT(checkAddress()));
    checkAddress();

    peerAddress = QHostAddress(QString::fromLatin1(defaultAddress));

    walk = new UdpWalk(this);
    // Each frame of a Write carries the tabs' values as they are when it is built.
    walk->writeValues = [this](int index) {
        return ConfigSnapshot::takeConfigFor(mainWindow, index);
    };
    connect(homeBypassCheckBox, SIGNAL(toggled(bool)), walk, SLOT(setHomeBypass(bool)));
    connect(walk, SIGNAL(request(QByteArray)), this, SLOT(sendRequest(QByteArray)));
    connect(walk, SIGNAL(finished(QString)), this, SLOT(finish(QString)));

    unitSocket = new UnitSocket(this);
    udpSocket = unitSocket->socket;
    QString unbound;
    if (!unitSocket->bind(&unbound))
        setStatus(unbound);
    unitSocket->setUnits({peerAddress});
    connect(unitSocket, SIGNAL(received(QHostAddress, QByteArray)), this,
            SLOT(processRead(QHostAddress, QByteArray)));
}

void DialogUDP::processRead(const QHostAddress &, const QByteArray &bytes)
{
    showResponse(bytes);
    walk->answered();
}

void DialogUDP::transaction()
{
    start(QStringLiteral("Read"));
}

void DialogUDP::write()
{
    start(QStringLiteral("Write"));
}

void DialogUDP::factory()
{
    start(QStringLiteral("Factory"));
}

void DialogUDP::start(const QString &type)
{
    // Any press abandons the running transaction, a refused one too.
    walk->stop();
    // Read at every press, so that a unit whose address was just changed
    // can still be reached.
    if (!parseUnitAddress(ipAddressEdit->text(), &peerAddress)) {
        setStatus(tr("Invalid IP address"));
        return;
    }
    unitSocket->setUnits({peerAddress});
    transactionCount = 0;
    parameterError = 0;
    setStatus(QString());
    walk->setHomeBypass(homeBypassCheckBox->isChecked());
    walk->start(type);
}

void DialogUDP::sendRequest(const QByteArray &request)
{
    unitSocket->send(request, peerAddress);
}

void DialogUDP::finish(const QString &text)
{
    // An error the unit reported during the walk must stay readable.
    if (parameterError == 0)
        setStatus(text);
}

void DialogUDP::checkAddress()
{
    applyTextColour(ipAddressEdit, parseUnitAddress(ipAddressEdit->text()));
}

void DialogUDP::closeEvent(QCloseEvent *event)
{
    LinkDialog::closeEvent(event);
    walk->stop();
    unitSocket->close();
}
