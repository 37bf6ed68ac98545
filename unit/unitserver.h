#ifndef VELMORA_UNIT_UNITSERVER_H
#define VELMORA_UNIT_UNITSERVER_H

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QQueue>
#include <QString>

class QSerialPort;
class QSocketNotifier;
class QTimer;
class QUdpSocket;
class RadioUnit;

/// Serves a RadioUnit over some transport, with the timing faults a real
/// line can show. Everything runs on the owning thread's event loop.
class UnitServer : public QObject
{
    Q_OBJECT

public:
    /// The unit is not owned and must outlive the server.
    explicit UnitServer(RadioUnit *unit, QObject *parent = nullptr);

    RadioUnit *radioUnit() const { return unit; }

    /// Holds every answer back for ms milliseconds before its first byte.
    void setAnswerDelay(int ms);
    /// Sends answers in pieces of pieceSize bytes with gapMs between them
    /// (0 sends each answer whole). Over UDP each piece is a datagram.
    void setPieces(int pieceSize, int gapMs);
    /// Follows every answer with count filler bytes, sent like the answer;
    /// a large count plays a line that never falls silent.
    void setTrailingBytes(int count);

    /// Sends bytes no request asked for, at once, to the last peer; false
    /// when there is nobody to send them to or the transport refused them.
    virtual bool sendUnasked(const QByteArray &bytes) = 0;

    /// Answers queued but not yet sent in full.
    bool answerPending() const;

signals:
    /// A request was taken and answered (answer empty when the unit stayed
    /// silent); the answer may still be on its way.
    void exchanged(const QString &peer, const QByteArray &request, const QByteArray &answer);
    /// Unasked bytes went out.
    void unaskedSent(const QString &peer, const QByteArray &bytes);

protected:
    /// Lets the unit answer and queues the answer for peer.
    void serveRequest(const QByteArray &request, const QHostAddress &peer, const QString &label);
    /// Puts bytes on the transport now.
    virtual bool transmit(const QByteArray &bytes, const QHostAddress &peer) = 0;

private slots:
    void sendDue();

private:
    struct Chunk
    {
        QByteArray bytes;
        QHostAddress peer;
        int waitMs = 0; ///< after the previous chunk went out
    };

    void sendReady();

    RadioUnit *unit = nullptr;
    QTimer *timer = nullptr;
    QQueue<Chunk> queue;
    int answerDelay = 0;
    int pieceSize = 0;
    int pieceGap = 0;
    int trailingBytes = 0;
};

/// The unit's network side: one answer datagram per request datagram, sent
/// to the sender's address at the reply port (2055 like the real unit;
/// tests pick another).
class UdpUnitServer : public UnitServer
{
    Q_OBJECT

public:
    explicit UdpUnitServer(RadioUnit *unit, QObject *parent = nullptr);

    /// Binds address and port, sharing them with the tool's own socket on
    /// the same port; false with errorString() set on failure.
    bool bind(const QHostAddress &address = QHostAddress(QStringLiteral("127.0.0.2")),
              quint16 port = 2055);
    void setReplyPort(quint16 port) { replyPort = port; }
    quint16 localPort() const;
    QString errorString() const { return error; }

    bool sendUnasked(const QByteArray &bytes) override;

protected:
    bool transmit(const QByteArray &bytes, const QHostAddress &peer) override;

private slots:
    void readDatagrams();

private:
    QUdpSocket *socket = nullptr;
    QHostAddress lastPeer;
    quint16 lastPeerPort = 0;
    QString peerLabel;
    quint16 replyPort = 2055;
    QString error;
};

/// The unit's serial side, on a serial device or on a pseudo-terminal this
/// server creates. The line has no framing: a request is taken as soon as its
/// bytes form a frame of known length; the address write frame, whose length
/// varies, and anything the unit does not know are taken when the silence
/// after their last byte reaches 10 ms, the same rule the tool uses for
/// answers.
class SerialUnitServer : public UnitServer
{
    Q_OBJECT

public:
    explicit SerialUnitServer(RadioUnit *unit, QObject *parent = nullptr);
    ~SerialUnitServer() override;

    /// Opens a serial device at 115200 8N1 without flow control.
    bool openDevice(const QString &name);
    /// Creates a raw pseudo-terminal; the tool opens slavePath() as its port.
    bool openPseudoTerminal();
    /// Full path of the pseudo-terminal's slave, empty without one.
    QString slavePath() const { return slave; }
    /// Silence that ends a request, 10 ms unless a test changes it.
    void setSilence(int ms);
    QString errorString() const { return error; }

    bool sendUnasked(const QByteArray &bytes) override;

protected:
    bool transmit(const QByteArray &bytes, const QHostAddress &peer) override;

private slots:
    void readPort();
    void readMaster();
    void takeRequest();

private:
    void received(const QByteArray &bytes);
    QString label() const;

    QSerialPort *port = nullptr;
    int masterFd = -1;
    int slaveFd = -1;
    QSocketNotifier *notifier = nullptr;
    QTimer *silenceTimer = nullptr;
    QByteArray pending;
    QString slave;
    QString error;
};

#endif
