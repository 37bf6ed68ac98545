#include "link/unitsocket.h"

#include "link/udpwalk.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

UnitSocket::UnitSocket(QObject *parent) : QObject(parent), socket(new QUdpSocket(this))
{
    connect(socket, SIGNAL(readyRead()), this, SLOT(processRead()));
}

bool UnitSocket::bind(QString *error)
{
    if (socket->bind(QHostAddress::AnyIPv4, UdpWalk::UnitPort, QAbstractSocket::ShareAddress))
        return true;
    *error = socket->error() == QAbstractSocket::AddressInUseError
                 ? tr("UDP port 2055 is in use by another program")
                 : tr("UDP port 2055 cannot be used: %1").arg(socket->errorString());
    return false;
}

void UnitSocket::send(const QByteArray &frame, const QHostAddress &unit)
{
    units.insert(unit.toIPv4Address());
    socket->writeDatagram(frame, unit, UdpWalk::UnitPort);
}

void UnitSocket::setUnits(const QList<QHostAddress> &list)
{
    units.clear();
    for (const QHostAddress &unit : list)
        units.insert(unit.toIPv4Address());
}

void UnitSocket::addUnit(const QHostAddress &unit)
{
    units.insert(unit.toIPv4Address());
}

void UnitSocket::close()
{
    socket->close();
}

void UnitSocket::processRead()
{
    // A batch at a time: datagrams that keep coming faster than they are
    // decoded must not hold the event loop. The socket, still readable,
    // announces the rest once the events waiting meanwhile are served.
    for (int batch = 0; batch < 64 && socket->hasPendingDatagrams(); ++batch) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (units.contains(datagram.destinationAddress().toIPv4Address()))
            emit ownRequest(datagram.senderAddress(), datagram.data());
        else
            emit received(datagram.senderAddress(), datagram.data());
    }
}
