#ifndef VELMORA_CLI_LINKS_H
#define VELMORA_CLI_LINKS_H

#include "link/masterthread.h"
#include "link/radioconfig.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>

class QTimer;
class UdpWalk;
class UnitSocket;

/// One unit's link: a transaction at a time, reported by value.
class UnitLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// "Read", "Write" (sending values) or "Factory".
    virtual void start(const QString &type, bool homeBypass, const RadioConfig &values) = 0;
    /// Sends no new request once the running exchange is through, then
    /// ends with Stopped.
    virtual void stop() = 0;

signals:
    void request(const QByteArray &s);
    void response(const QByteArray &s);
    /// The transaction has ended, every answer delivered.
    void finished(const LinkOutcome &outcome);
};

/// A serial port served by its own MasterThread, as in the serial dialog.
class SerialLink : public UnitLink
{
    Q_OBJECT

public:
    SerialLink(const QString &port, QObject *parent);

    void start(const QString &type, bool homeBypass, const RadioConfig &values) override;
    void stop() override;

private:
    QString port;
    MasterThread thread;
};

class UdpRouter;

/// A unit on the network, paced by its own UdpWalk; the router hands it
/// the datagrams its address sent.
class UdpLink : public UnitLink
{
    Q_OBJECT

public:
    UdpLink(const QHostAddress &address, UdpRouter *router, QObject *parent);

    void start(const QString &type, bool homeBypass, const RadioConfig &values) override;
    void stop() override;
    /// One datagram from the unit.
    void deliver(const QByteArray &datagram);

private slots:
    void send(const QByteArray &frame);
    void walkEnded(const LinkOutcome &outcome);
    void lastAnswerMissing();

private:
    QHostAddress address;
    UdpRouter *router;
    UdpWalk *walk;
    /// The walk ends when it sends its last request; its answer, which
    /// carries the last value or the last status, is waited for this long.
    QTimer *lastAnswer;
    int expected = 0;
    /// How the walk ended, told once its last answer is in.
    LinkOutcome ending;
    RadioConfig values;
};

/// The command line's one socket on port 2055, bound as the dialog binds
/// it. Each datagram goes to the unit whose address sent it; one from any
/// other sender, or one addressed to a unit (our own request come back),
/// is dropped and reported, never decoded.
class UdpRouter : public QObject
{
    Q_OBJECT

public:
    explicit UdpRouter(QObject *parent);

    /// Binds port 2055; when that fails every unit's walk ends at its start
    /// with CannotOpen and the reason.
    void bind();
    /// Why the port could not be bound; empty once it is.
    QString bindError() const { return unbound; }
    void add(const QHostAddress &address, UdpLink *link);
    void send(const QByteArray &frame, const QHostAddress &address);

signals:
    /// A datagram that was no answer, and why.
    void dropped(const QHostAddress &sender, const QByteArray &bytes, const QString &why);

private slots:
    void deliver(const QHostAddress &sender, const QByteArray &bytes);
    void dropOwn(const QHostAddress &sender, const QByteArray &bytes);

private:
    UnitSocket *socket;
    QHash<quint32, UdpLink *> links;
    QString unbound;
};

#endif
