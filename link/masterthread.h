#ifndef VELMORA_LINK_MASTERTHREAD_H
#define VELMORA_LINK_MASTERTHREAD_H

#include "link/outcome.h"
#include "link/radioconfig.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>

/// Runs one Read, Write or Factory transaction over a serial port on a thread
/// of its own, so that the blocking waits of the serial dialogue never stall
/// the GUI. Results come back only through its signals.
class MasterThread : public QThread
{
    Q_OBJECT

public:
    /// Bytes gathered for one answer before the line counts as never falling
    /// silent. The longest answer the tool knows is a 30-byte home-channel
    /// record (an address text a few dozen bytes); 4 KiB is over a hundred
    /// times that, yet a runaway line at 115200 baud fills it in about 0.36 s.
    static const int maxAnswerBytes = 4096;

    explicit MasterThread(QObject *parent = nullptr);
    /// Ends a running transaction at its next exchange and waits for it;
    /// an exchange is never cut short.
    ~MasterThread() override;

    /// Hands a transaction to the worker: "Read", "Write" or anything else
    /// for the factory frame; homeBypass ends a Read or Write after index 9.
    /// config carries the values of a Write, taken on the GUI thread.
    /// Called on the GUI thread; never waits on the port.
    void transaction(const QString &portName, const QString &requestType, bool homeBypass,
                     const RadioConfig &config = RadioConfig());

    /// Ends the running transaction before its next exchange, with no end
    /// signal; nothing more is sent. Called on the GUI thread; never waits.
    void stop();

signals:
    /// About to be written to the port.
    void request(const QByteArray &s);
    void response(const QByteArray &s);
    /// The port could not be opened: "Can't open PORT, error code N: reason".
    void error(const QString &s);
    /// The walk's end: "Complete!", "TimeOut" or "Write TimeOut".
    void timeout(const QString &s);
    /// Every end as a value, after error or timeout; a stopped walk, which
    /// has neither, ends with Stopped.
    void ended(const LinkOutcome &outcome);

protected:
    void run() override;

private:
    /// Serves one transaction on this thread and emits its end.
    void serve(const QString &currentPortName, const QString &type, bool bypass,
               const RadioConfig &values);
    /// True once stop() or the destructor asked the running transaction to
    /// end, or another one was handed over.
    bool stopping();

    // Everything below but recordCounter is guarded by mutex.
    bool quit = false;
    qint32 recordCounter = 1; ///< worker thread only
    QString portName;
    QMutex mutex;
    QString requestType;
    bool homeBypass = false;
    RadioConfig config;
    /// A transaction was handed over and no run has taken it yet.
    bool pending = false;
    /// A run is under way that has yet to look for a pending transaction
    /// once more before it returns; one handed over meanwhile is served by
    /// that run.
    bool serving = false;
};

#endif
