#ifndef VELMORA_LINK_UDPWALK_H
#define VELMORA_LINK_UDPWALK_H

#include "link/outcome.h"
#include "link/radioconfig.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QHostAddress;
class QTimer;

/// True when text names one IPv4 host a request may go to: four dotted
/// decimal numbers of 0 to 255 without leading zeros, neither 0.0.0.0 nor
/// multicast, reserved or broadcast. Sets address when given.
bool parseUnitAddress(const QString &text, QHostAddress *address = nullptr);

/// The pacing of one network transaction, shared by the network dialog and
/// the command line: a repeating timer sends one request per tick; an answer
/// brings the next tick forward to 1 ms, silence sends the same request
/// again after 400 ms, and the sixth resend ends the walk. It sends nothing
/// itself and decodes nothing: its owner sends each request it asks for and
/// tells it of each answer. Everything runs on the owner's event loop.
class UdpWalk : public QObject
{
    Q_OBJECT

public:
    enum
    {
        UnitPort = 2055,
        WaitInterval = 400,
        AnsweredInterval = 1,
        MaxResends = 6,
    };

    explicit UdpWalk(QObject *parent = nullptr);
    ~UdpWalk() override;

    /// The values a Write sends for a command index, asked for when its
    /// frame is built; without it a Write sends freshConfig().
    std::function<RadioConfig(int commandIndex)> writeValues;

    /// Starts "Read", "Write" or "Factory" from the top; a running walk is
    /// abandoned without an end. The first request goes out 400 ms later.
    void start(const QString &type);
    /// Ends a running walk at once, without an end text; ended() says
    /// Stopped.
    void stop();
    bool isRunning() const;
    /// One answer has arrived: counted, and the next tick comes in 1 ms.
    void answered();

    qint32 recordCounter = 1;
    qint32 commandIndex = 0;
    qint32 retryCount = 0;
    qint32 answers = 0;
    QString requestType;
    bool homeBypass = false;
    QTimer *timer = nullptr;

public slots:
    /// Looked at every tick: checked during a walk past index 9, it ends
    /// the walk at the next tick.
    void setHomeBypass(bool on);

signals:
    /// Send these bytes to the unit now.
    void request(const QByteArray &s);
    /// The walk has ended: "Complete!" or "Timeout!".
    void finished(const QString &s);
    /// Every end as a value: after finished(), or alone when stop() ended it.
    void ended(const LinkOutcome &outcome);

private slots:
    void processTimer();

private:
    void end(const QString &text, LinkOutcome::Kind kind);
};

#endif
