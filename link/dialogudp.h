#ifndef VELMORA_LINK_DIALOGUDP_H
#define VELMORA_LINK_DIALOGUDP_H

#include "link/linkdialog.h"

#include <QHostAddress>
#include <QString>

class QLineEdit;
class QUdpSocket;
class UdpWalk;
class UnitSocket;

/// The network link: Read, Write and Factory Mode as UDP datagrams, all on
/// the GUI thread, paced by its UdpWalk.
class DialogUDP : public LinkDialog
{
    Q_OBJECT

public:
    explicit DialogUDP(MainWindow *window);

    QLabel *ipAddressLabel = nullptr;
    QLineEdit *ipAddressEdit = nullptr;
    UdpWalk *walk = nullptr;
    UnitSocket *unitSocket = nullptr;
    QUdpSocket *udpSocket = nullptr; ///< unitSocket's
    QHostAddress peerAddress;

public slots:
    void processRead(const QHostAddress &sender, const QByteArray &bytes);
    void transaction();
    void write();
    void factory();

private slots:
    void checkAddress();
    void sendRequest(const QByteArray &request);
    void finish(const QString &text);

protected:
    /// Also ends a running transaction, so nothing is sent after the close.
    void closeEvent(QCloseEvent *event) override;

private:
    void start(const QString &type);
};

#endif
