#ifndef VELMORA_CLI_TRACE_H
#define VELMORA_CLI_TRACE_H

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QObject>

class QHostAddress;
class UdpRouter;
class UnitLink;

/// --trace FILE: every request and answer in hex, one a line after the
/// milliseconds since the start and the unit's name, and every datagram
/// the router dropped.
class Trace : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// Starts the file and the clock; false with "PATH: reason".
    bool open(const QString &path, QString *error);

    /// Traces what link sends and receives, under name.
    void watch(UnitLink *link, const QString &name);
    void watch(UdpRouter *router);
    /// Ends the file with the count of dropped datagrams.
    void close();

private slots:
    void request(const QByteArray &s);
    void response(const QByteArray &s);
    void dropped(const QHostAddress &sender, const QByteArray &bytes, const QString &why);

private:
    void line(const QString &unit, char direction, const QByteArray &bytes,
              const QString &note = QString());

    QElapsedTimer clock;
    QFile file;
    QHash<QObject *, QString> names; ///< link -> unit
    int droppedCount = 0;
};

#endif
