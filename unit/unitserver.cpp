#include "unit/unitserver.h"

#include "link/frames.h"
#include "unit/radiounit.h"

#include <QNetworkDatagram>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>
#include <QUdpSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A line that never goes quiet must not grow the buffer without end.
const int maxRequestBytes = 4096;

// Length of the request frame that bytes start with: 0 while too few bytes
// have come to tell, -1 when only the silence after it can tell (the address
// write frame, whose text varies, and frames the unit does not know).
int requestLength(const QByteArray &bytes)
{
    if (bytes.size() < 2)
        return 0;
    const char code = bytes.at(0);
    const Parameters::Wire *wire = Parameters::wireOf(code);
    if (bytes.at(1) == Frames::Read)
        return wire ? wire->readLength : -1;
    if (bytes.at(1) == Frames::Write) {
        if (code == Frames::FactoryCode)
            return Frames::buildFactoryFrame().size();
        return wire && wire->writeLength ? wire->writeLength : -1;
    }
    return -1;
}

} // namespace

UnitServer::UnitServer(RadioUnit *unit, QObject *parent) : QObject(parent), unit(unit)
{
    timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, SIGNAL(timeout()), this, SLOT(sendDue()));
}

void UnitServer::setAnswerDelay(int ms)
{
    answerDelay = qMax(0, ms);
}

void UnitServer::setPieces(int size, int gapMs)
{
    pieceSize = qMax(0, size);
    pieceGap = qMax(0, gapMs);
}

void UnitServer::setTrailingBytes(int count)
{
    trailingBytes = qMax(0, count);
}

bool UnitServer::answerPending() const
{
    return !queue.isEmpty();
}

void UnitServer::serveRequest(const QByteArray &request, const QHostAddress &peer,
                              const QString &label)
{
    QByteArray answer = unit->answer(request);
    emit exchanged(label, request, answer);
    if (answer.isEmpty())
        return;
    answer.append(trailingBytes, '\x55');
    const int size = pieceSize > 0 ? pieceSize : answer.size();
    for (int at = 0; at < answer.size(); at += size)
        queue.enqueue(Chunk{answer.mid(at, size), peer, at == 0 ? answerDelay : pieceGap});
    if (!timer->isActive())
        sendReady();
}

// Sends what is due now and sets the timer for the next chunk.
void UnitServer::sendReady()
{
    while (!queue.isEmpty() && queue.head().waitMs == 0) {
        const Chunk chunk = queue.dequeue();
        transmit(chunk.bytes, chunk.peer);
    }
    if (!queue.isEmpty())
        timer->start(queue.head().waitMs);
}

void UnitServer::sendDue()
{
    if (queue.isEmpty())
        return;
    const Chunk chunk = queue.dequeue();
    transmit(chunk.bytes, chunk.peer);
    sendReady();
}

UdpUnitServer::UdpUnitServer(RadioUnit *unit, QObject *parent) : UnitServer(unit, parent)
{
    socket = new QUdpSocket(this);
    connect(socket, SIGNAL(readyRead()), this, SLOT(readDatagrams()));
}

bool UdpUnitServer::bind(const QHostAddress &address, quint16 port)
{
    socket->close();
    if (!socket->bind(address, port, QAbstractSocket::ShareAddress)) {
        error = socket->errorString();
        return false;
    }
    error.clear();
    return true;
}

quint16 UdpUnitServer::localPort() const
{
    return socket->localPort();
}

void UdpUnitServer::readDatagrams()
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        const QHostAddress sender = datagram.senderAddress();
        // A reply port equal to our own port on our own address would loop.
        if (sender == socket->localAddress() && datagram.senderPort() == socket->localPort())
            continue;
        // Made anew only for a new peer: a fleet serves thousands a second.
        if (sender != lastPeer || datagram.senderPort() != lastPeerPort || peerLabel.isEmpty()) {
            lastPeer = sender;
            lastPeerPort = quint16(datagram.senderPort());
            peerLabel = QStringLiteral("udp %1:%2").arg(sender.toString()).arg(lastPeerPort);
        }
        serveRequest(datagram.data(), sender, peerLabel);
    }
}

bool UdpUnitServer::transmit(const QByteArray &bytes, const QHostAddress &peer)
{
    return socket->writeDatagram(bytes, peer, replyPort) == bytes.size();
}

bool UdpUnitServer::sendUnasked(const QByteArray &bytes)
{
    if (lastPeer.isNull())
        return false;
    if (!transmit(bytes, lastPeer))
        return false;
    emit unaskedSent(QStringLiteral("udp %1:%2").arg(lastPeer.toString()).arg(replyPort), bytes);
    return true;
}

SerialUnitServer::SerialUnitServer(RadioUnit *unit, QObject *parent) : UnitServer(unit, parent)
{
    silenceTimer = new QTimer(this);
    silenceTimer->setSingleShot(true);
    silenceTimer->setTimerType(Qt::PreciseTimer);
    silenceTimer->setInterval(10);
    connect(silenceTimer, SIGNAL(timeout()), this, SLOT(takeRequest()));
}

SerialUnitServer::~SerialUnitServer()
{
    delete notifier;
    if (masterFd >= 0)
        ::close(masterFd);
    if (slaveFd >= 0)
        ::close(slaveFd);
}

void SerialUnitServer::setSilence(int ms)
{
    silenceTimer->setInterval(qMax(1, ms));
}

bool SerialUnitServer::openDevice(const QString &name)
{
    if (port || masterFd >= 0) {
        error = tr("already open");
        return false;
    }
    port = new QSerialPort(name, this);
    port->setBaudRate(QSerialPort::Baud115200);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite)) {
        error = port->errorString();
        delete port;
        port = nullptr;
        return false;
    }
    connect(port, SIGNAL(readyRead()), this, SLOT(readPort()));
    return true;
}

bool SerialUnitServer::openPseudoTerminal()
{
    if (port || masterFd >= 0) {
        error = tr("already open");
        return false;
    }
    char name[128] = {};
    struct termios raw;
    std::memset(&raw, 0, sizeof raw);
    cfmakeraw(&raw);
    cfsetspeed(&raw, B115200);
    raw.c_cflag |= CLOCAL | CREAD;
    if (::openpty(&masterFd, &slaveFd, name, &raw, nullptr) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        masterFd = slaveFd = -1;
        return false;
    }
    // Our own slave descriptor stays open so that the master never sees a
    // hang-up while the tool has the port closed.
    ::fcntl(masterFd, F_SETFL, ::fcntl(masterFd, F_GETFL) | O_NONBLOCK);
    ::fcntl(masterFd, F_SETFD, FD_CLOEXEC);
    ::fcntl(slaveFd, F_SETFD, FD_CLOEXEC);
    slave = QString::fromLocal8Bit(name);
    notifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
    connect(notifier, SIGNAL(activated(int)), this, SLOT(readMaster()));
    return true;
}

void SerialUnitServer::readPort()
{
    received(port->readAll());
}

void SerialUnitServer::readMaster()
{
    char buffer[512];
    for (int round = 0; round < 64; ++round) {
        const ssize_t n = ::read(masterFd, buffer, sizeof buffer);
        if (n > 0) {
            received(QByteArray(buffer, int(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
}

void SerialUnitServer::received(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    pending.append(bytes);
    // A frame of known length is answered at once, as a real unit would;
    // waiting for the silence too would double the time of every exchange.
    for (int length = requestLength(pending); length > 0 && pending.size() >= length;
         length = requestLength(pending)) {
        const QByteArray request = pending.left(length);
        pending.remove(0, length);
        serveRequest(request, QHostAddress(), label());
    }
    if (pending.isEmpty())
        silenceTimer->stop();
    else if (pending.size() >= maxRequestBytes)
        takeRequest();
    else
        silenceTimer->start();
}

void SerialUnitServer::takeRequest()
{
    silenceTimer->stop();
    if (pending.isEmpty())
        return;
    const QByteArray request = pending;
    pending.clear();
    serveRequest(request, QHostAddress(), label());
}

QString SerialUnitServer::label() const
{
    return port ? QStringLiteral("serial %1").arg(port->portName())
                : QStringLiteral("pty %1").arg(slave);
}

bool SerialUnitServer::transmit(const QByteArray &bytes, const QHostAddress &)
{
    if (port)
        return port->write(bytes) == bytes.size();
    if (masterFd < 0)
        return false;
    qint64 done = 0;
    // The pty buffer takes a few kilobytes; a full one means nobody reads.
    while (done < bytes.size()) {
        const ssize_t n = ::write(masterFd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool SerialUnitServer::sendUnasked(const QByteArray &bytes)
{
    if (!transmit(bytes, QHostAddress()))
        return false;
    emit unaskedSent(label(), bytes);
    return true;
}
