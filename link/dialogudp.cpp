#include "link/dialogudp.h"

#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "link/frames.h"
#include "tabs/colour.h"
#include "tabs/networktab.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QTimer>
#include <QUdpSocket>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {

const char defaultAddress[] = "10.10.9.13";

// Linux lets a sleeping thread wake up to 50 us late; at one request a
// millisecond that alone stretches a walk by 5 %. Tight only while a
// transaction runs; 0 gives the thread its default back.
void tightTimers(bool on)
{
#ifdef Q_OS_LINUX
    prctl(PR_SET_TIMERSLACK, on ? 1UL : 0UL, 0UL, 0UL, 0UL);
#else
    Q_UNUSED(on);
#endif
}

} // namespace

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

    udpSocket = new QUdpSocket(this);
    // Shared, so that a second dialog or a unit emulator on this host can
    // bind the same port; a failed bind shows up as "Timeout!" later.
    udpSocket->bind(QHostAddress::AnyIPv4, UnitPort, QAbstractSocket::ShareAddress);
    connect(udpSocket, SIGNAL(readyRead()), this, SLOT(processRead()));

    timer = new QTimer(this);
    // A coarse timer may fire 5 % off; the 400 ms and 1 ms steps are kept.
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, SIGNAL(timeout()), this, SLOT(processTimer()));
}

bool DialogUDP::addressUsable(const QString &text)
{
    if (!NetworkTab::addressUsable(text))
        return false;
    const QHostAddress address(text);
    if (address.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    // The unit is one host that answers one request at a time: 0.0.0.0
    // names no host, and a broadcast or multicast request (224.0.0.0 and
    // up, with the reserved block and 255.255.255.255) would reach every
    // unit on the segment and mix their answers up.
    const quint32 ip = address.toIPv4Address();
    return ip != 0 && (ip >> 28) < 0xE;
}

void DialogUDP::processRead()
{
    // A batch at a time: datagrams that keep coming faster than they are
    // decoded must not hold the event loop. The socket, still readable,
    // announces the rest once the events waiting meanwhile are served.
    for (int batch = 0; batch < 64 && udpSocket->hasPendingDatagrams(); ++batch) {
        const QNetworkDatagram datagram = udpSocket->receiveDatagram();
        showResponse(datagram.data());
        // Brings the next tick forward; a stopped timer stays stopped.
        timer->setInterval(AnsweredInterval);
    }
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
    if (!addressUsable(ipAddressEdit->text())) {
        statusLabel->setText(tr("Invalid IP address"));
        return;
    }
    // Read at every press, so that a unit whose address was just changed
    // can still be reached.
    peerAddress = QHostAddress(ipAddressEdit->text());
    transactionCount = 0;
    commandIndex = 0;
    retryCount = 0;
    parameterError = 0;
    if (type != QLatin1String("Factory"))
        recordCounter = 1;
    statusLabel->clear();
    requestType = type;
    tightTimers(true);
    timer->start(WaitInterval);
}

void DialogUDP::processTimer()
{
    // Fewer answers than requests sent: the last request went unanswered.
    if (commandIndex > transactionCount) {
        ++retryCount;
        --commandIndex;
        // The counter moves once per command index, not once per sending.
        if (commandIndex >= Frames::GeneralCount)
            --recordCounter;
    } else {
        retryCount = 0;
    }

    QByteArray request;
    if (requestType == QLatin1String("Read")) {
        request = Frames::buildReadRequest(commandIndex, recordCounter);
        ++commandIndex;
    } else if (requestType == QLatin1String("Write")) {
        request = Frames::buildWriteFrame(
            commandIndex, ConfigSnapshot::takeConfigFor(mainWindow, commandIndex), recordCounter);
        ++commandIndex;
    } else {
        request = Frames::buildFactoryFrame();
    }
    udpSocket->writeDatagram(request, peerAddress, UnitPort);

    if (homeBypassCheckBox->isChecked() && commandIndex > Frames::LastBypassIndex)
        finish(tr("Complete!"));
    else if (commandIndex >= Frames::CommandCount)
        finish(tr("Complete!"));
    else if (retryCount >= MaxResends)
        finish(tr("Timeout!"));
    else if (requestType == QLatin1String("Factory"))
        finish(tr("Complete!"));
    // Starts the period over while running; the answer shortens it again.
    timer->setInterval(WaitInterval);
}

void DialogUDP::finish(const QString &text)
{
    timer->stop();
    tightTimers(false);
    // An error the unit reported during the walk must stay readable.
    if (parameterError == 0)
        statusLabel->setText(text);
}

void DialogUDP::checkAddress()
{
    applyTextColour(ipAddressEdit, addressUsable(ipAddressEdit->text()));
}

void DialogUDP::closeEvent(QCloseEvent *event)
{
    LinkDialog::closeEvent(event);
    timer->stop();
    tightTimers(false);
    udpSocket->close();
}
