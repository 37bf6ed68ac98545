#include "cli/links.h"

#include "link/udpwalk.h"
#include "link/unitsocket.h"

#include <QTimer>

SerialLink::SerialLink(const QString &port, QObject *parent) : UnitLink(parent), port(port)
{
    connect(&thread, SIGNAL(request(QByteArray)), this, SIGNAL(request(QByteArray)));
    connect(&thread, SIGNAL(response(QByteArray)), this, SIGNAL(response(QByteArray)));
    connect(&thread, SIGNAL(ended(LinkOutcome)), this, SIGNAL(finished(LinkOutcome)));
}

void SerialLink::start(const QString &type, bool homeBypass, const RadioConfig &values)
{
    thread.transaction(port, type, homeBypass, values);
}

void SerialLink::stop()
{
    thread.stop();
}

UdpLink::UdpLink(const QHostAddress &address, UdpRouter *router, QObject *parent)
    : UnitLink(parent), address(address), router(router)
{
    walk = new UdpWalk(this);
    walk->writeValues = [this](int) { return values; };
    connect(walk, SIGNAL(request(QByteArray)), this, SLOT(send(QByteArray)));
    connect(walk, SIGNAL(ended(LinkOutcome)), this, SLOT(walkEnded(LinkOutcome)));
    lastAnswer = new QTimer(this);
    lastAnswer->setSingleShot(true);
    lastAnswer->setInterval(UdpWalk::WaitInterval);
    connect(lastAnswer, SIGNAL(timeout()), this, SLOT(lastAnswerMissing()));
    router->add(address, this);
}

void UdpLink::start(const QString &type, bool homeBypass, const RadioConfig &values)
{
    if (!router->bindError().isEmpty()) {
        emit finished(LinkOutcome{LinkOutcome::CannotOpen, router->bindError()});
        return;
    }
    this->values = values;
    expected = 0;
    walk->setHomeBypass(homeBypass);
    walk->start(type);
}

void UdpLink::stop()
{
    // Ends with Stopped once the request on its way is answered.
    if (walk->isRunning())
        walk->stop();
    else if (lastAnswer->isActive())
        ending.kind = LinkOutcome::Stopped;
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
        emit finished(ending);
    }
}

void UdpLink::walkEnded(const LinkOutcome &outcome)
{
    // A factory walk leaves its index at 0: it sent one frame.
    expected = qMax(1, walk->commandIndex);
    if (outcome.kind == LinkOutcome::Timeout || walk->answers >= expected) {
        emit finished(outcome);
    } else {
        ending = outcome;
        lastAnswer->start();
    }
}

void UdpLink::lastAnswerMissing()
{
    emit finished(LinkOutcome{ending.kind == LinkOutcome::Stopped ? LinkOutcome::Stopped
                                                                  : LinkOutcome::Timeout,
                              QString()});
}

UdpRouter::UdpRouter(QObject *parent) : QObject(parent)
{
    socket = new UnitSocket(this);
    connect(socket, SIGNAL(received(QHostAddress, QByteArray)), this,
            SLOT(deliver(QHostAddress, QByteArray)));
    connect(socket, SIGNAL(ownRequest(QHostAddress, QByteArray)), this,
            SLOT(dropOwn(QHostAddress, QByteArray)));
}

void UdpRouter::bind()
{
    socket->bind(&unbound);
}

void UdpRouter::add(const QHostAddress &address, UdpLink *link)
{
    links.insert(address.toIPv4Address(), link);
    // A datagram addressed to any of them is ours, sent to it or not yet.
    socket->addUnit(address);
}

void UdpRouter::send(const QByteArray &frame, const QHostAddress &address)
{
    socket->send(frame, address);
}

void UdpRouter::deliver(const QHostAddress &sender, const QByteArray &bytes)
{
    if (UdpLink *link = links.value(sender.toIPv4Address()))
        link->deliver(bytes);
    else
        emit dropped(sender, bytes, tr("not from a unit"));
}

void UdpRouter::dropOwn(const QHostAddress &sender, const QByteArray &bytes)
{
    emit dropped(sender, bytes, tr("our own request"));
}
