#ifndef VELMORA_LINK_DIALOGUDP_H
#define VELMORA_LINK_DIALOGUDP_H

#include "link/linkdialog.h"

#include <QHostAddress>
#include <QString>

class QLineEdit;
class QTimer;
class QUdpSocket;

/// The network link: Read, Write and Factory Mode as UDP datagrams, all on
/// the GUI thread. A repeating timer sends one request per tick; an answer
/// brings the next tick forward to 1 ms, silence resends after 400 ms.
class DialogUDP : public LinkDialog
{
    Q_OBJECT

public:
    explicit DialogUDP(MainWindow *window);

    /// True when text is an IPv4 address a request can be sent to.
    static bool addressUsable(const QString &text);

    qint32 recordCounter = 1;
    qint32 commandIndex = 0;
    qint32 retryCount = 0;
    QString requestType;
    QLabel *ipAddressLabel = nullptr;
    QLineEdit *ipAddressEdit = nullptr;
    QTimer *timer = nullptr;
    QUdpSocket *udpSocket = nullptr;
    QHostAddress peerAddress;

    enum
    {
        UnitPort = 2055,
        WaitInterval = 400,
        AnsweredInterval = 1,
        MaxResends = 6,
    };

public slots:
    void processRead();
    void transaction();
    void write();
    void factory();
    void processTimer();

private slots:
    void checkAddress();

protected:
    /// Also stops a running transaction, so nothing is sent after the close.
    void closeEvent(QCloseEvent *event) override;

private:
    void start(const QString &type);
    void finish(const QString &text);
};

#endif
