#include "cli/links.h"

#include "link/frames.h"
#include "link/udpwalk.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

SerialLink::SerialLink(const QString &port, QObject *parent) : UnitLink(parent), port(port)
{
    connect(&thread, SIGNAL(request(QByteArray)), this, SIGNAL(request(QByteArray)));
    connect(&thread, SIGNAL(response(QByteArray)), this, SIGNAL(response(QByteArray)));
    connect(&thread, SIGNAL(timeout(QString)), this, SIGNAL(finished(QString)));
    connect(&thread, SIGNAL(error(QString)), this, SLOT(processError(QString)));
}

void SerialLink::start(const QString &type, bool homeBypass, const RadioConfig &values)
{
    thread.transaction(port, type, homeBypass, values);
}

void SerialLink::processError(const QString &s)
{
    // "Can't open PORT, error code N: reason": the reason is what tells.
    const int code = s.lastIndexOf(QLatin1String(", error code "));
    const int reason = s.indexOf(QLatin1String(": "), code);
    emit failed(code >= 0 && reason >= 0 ? s.mid(reason + 2) : s);
}

UdpLink::UdpLink(const QHostAddress &address, UdpRouter *router, QObject *parent)
    : UnitLink(parent), address(address), router(router)
{
    walk = new UdpWalk(this);
    walk->writeValues = [this](int) { return values; };
    connect(walk, SIGNAL(request(QByteArray)), this, SLOT(send(QByteArray)));
    connect(walk, SIGNAL(finished(QString)), this, SLOT(walkEnded(QString)));
    lastAnswer = new QTimer(this);
    lastAnswer->setSingleShot(true);
    lastAnswer->setInterval(UdpWalk::WaitInterval);
    connect(lastAnswer, SIGNAL(timeout()), this, SLOT(lastAnswerMissing()));
    router->add(address, this);
}

void UdpLink::start(const QString &type, bool homeBypass, const RadioConfig &values)
{
    this->values = values;
    expected = 0;
    walk->setHomeBypass(homeBypass);
    walk->start(type);
}

void UdpLink::send(const QByteArray &frame)
{
    emit request(frame);
    router->send(frame, address);
}

void UdpLink::deliver(const QByteArray &datagram)
{
    emit response(datagram);
    walk->answered();
    if (lastAnswer->isActive() && walk->answers >= expected) {
        lastAnswer->stop();
        emit finished(tr("Complete!"));
    }
}

void UdpLink::walkEnded(const QString &text)
{
    // A factory walk leaves its index at 0: it sent one frame.
    expected = qMax(1, walk->commandIndex);
    if (text != tr("Complete!") || walk->answers >= expected)
        emit finished(text);
    else
        lastAnswer->start();
}

void UdpLink::lastAnswerMissing()
{
    emit finished(tr("Timeout!"));
}

UdpRouter::UdpRouter(QObject *parent) : QObject(parent)
{
    socket = new QUdpSocket(this);
    connect(socket, SIGNAL(readyRead()), this, SLOT(processRead()));
}

bool UdpRouter::bind(QString *error)
{
    if (socket->bind(QHostAddress::AnyIPv4, UdpWalk::UnitPort, QAbstractSocket::ShareAddress))
        return true;
    *error = socket->error() == QAbstractSocket::AddressInUseError
                 ? tr("UDP port 2055 is in use by another program")
                 : tr("UDP port 2055 cannot be used: %1").arg(socket->errorString());
    return false;
}

void UdpRouter::add(const QHostAddress &address, UdpLink *link)
{
    links.insert(address.toIPv4Address(), link);
}

void UdpRouter::send(const QByteArray &frame, const QHostAddress &address)
{
    socket->writeDatagram(frame, address, UdpWalk::UnitPort);
}

void UdpRouter::processRead()
{
    // A batch at a time, so that a flood cannot hold the event loop.
    for (int batch = 0; batch < 256 && socket->hasPendingDatagrams(); ++batch) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        const QHostAddress sender = datagram.senderAddress();
        if (links.contains(datagram.destinationAddress().toIPv4Address()))
            emit dropped(sender, datagram.data(), tr("our own request"));
        else if (UdpLink *link = links.value(sender.toIPv4Address()))
            link->deliver(datagram.data());
        else
            emit dropped(sender, datagram.data(), tr("not from a unit"));
    }
}
