#ifndef VELMORA_LINK_UNITSOCKET_H
#define VELMORA_LINK_UNITSOCKET_H

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>

class QUdpSocket;

/// The tool's socket on UDP port 2055, shared by the network dialog and the
/// command line. It is bound shared, so that a second dialog or a unit
/// emulator on this host can bind the same port. A datagram addressed to a
/// unit it sent to is our own request come back (the unit's address is one
/// of this machine's): it is dropped, never decoded. It is told apart by its
/// address, not its bytes: an accepted write of 0 is answered with exactly
/// the bytes of its request.
class UnitSocket : public QObject
{
    Q_OBJECT

public:
    explicit UnitSocket(QObject *parent = nullptr);

    /// Binds the port. False with what to tell the maintainer: a program
    /// that holds the port alone would get the unit's answers, which is
    /// better said now than as a timeout later.
    bool bind(QString *error);
    /// Sends frame to a unit, whose address then counts as one of ours.
    void send(const QByteArray &frame, const QHostAddress &unit);
    /// Forgets the units sent to, as when the dialog's address changes.
    void setUnits(const QList<QHostAddress> &units);
    /// One more unit whose address counts as ours.
    void addUnit(const QHostAddress &unit);
    void close();

    QUdpSocket *const socket;

signals:
    /// A datagram that is not our own request.
    void received(const QHostAddress &sender, const QByteArray &bytes);
    /// Our own request, come back.
    void ownRequest(const QHostAddress &sender, const QByteArray &bytes);

private slots:
    void processRead();

private:
    QSet<quint32> units;
};

#endif
