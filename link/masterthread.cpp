#include "link/masterthread.h"

#include "link/frames.h"

#include <QDebug>
#include <QFileInfo>
#include <QMutex>
#include <QSerialPort>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

#ifdef VELMORA_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace {

const int writeWaitMs = 50;
const int firstBytesWaitMs = 100;
// The line has no framing: an answer ends when it falls silent this long.
const int silenceMs = 10;

// Holds a QMutex for a scope. Debian's Qt is not built for ThreadSanitizer,
// which therefore cannot see inside QMutex; a sanitizer build tells it about
// ours here, so that every access to the fields it guards is still checked.
// It locks by hand: QMutexLocker is a class in Qt 5 and a template in Qt 6.
class Locker
{
public:
    explicit Locker(QMutex *mutex) : mutex(mutex)
    {
        mutex->lock();
#ifdef VELMORA_TSAN
        __tsan_acquire(mutex);
#endif
    }
    ~Locker()
    {
#ifdef VELMORA_TSAN
        __tsan_release(mutex);
#endif
        mutex->unlock();
    }
    Locker(const Locker &) = delete;
    Locker &operator=(const Locker &) = delete;

private:
    QMutex *const mutex;
};

// The number shown for an error is Qt 5's in both builds: Qt 6 dropped the
// parity, framing and break-condition errors and moved every later one down.
int errorCode(QSerialPort::SerialPortError error)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    if (error >= QSerialPort::WriteError)
        return int(error) + 3;
#endif
    return int(error);
}

// Why the port did not open, in the system's words; for a permission
// problem on Linux also who may open it.
QString openFailure(const QSerialPort &serial)
{
    QString reason = serial.errorString();
#ifdef Q_OS_LINUX
    if (serial.error() == QSerialPort::PermissionError) {
        const QString path = serial.portName().startsWith(QLatin1Char('/'))
                                 ? serial.portName()
                                 : QStringLiteral("/dev/") + serial.portName();
        const QString group = QFileInfo(path).group();
        reason += MasterThread::tr(". The user must be in the group %1, which owns %2 "
                                   "(usually dialout), and log in again")
                      .arg(group.isEmpty() ? QStringLiteral("dialout") : group, path);
    }
#endif
    return reason;
}

} // namespace

MasterThread::MasterThread(QObject *parent) : QThread(parent)
{
    qRegisterMetaType<LinkOutcome>();
}

MasterThread::~MasterThread()
{
    qDebug("Thread Destructed");
    {
        const Locker locker(&mutex);
        quit = true;
    }
    wait();
    // The run's last writes come here through QThread's own locks; taking
    // ours once more shows a sanitizer build their order too.
    const Locker settled(&mutex);
}

void MasterThread::transaction(const QString &portName, const QString &requestType, bool homeBypass,
                               const RadioConfig &config)
{
    const Locker locker(&mutex);
    this->portName = portName;
    this->requestType = requestType;
    this->homeBypass = homeBypass;
    this->config = config;
    quit = false;
    pending = true;
    if (serving)
        return; // the run that is finishing takes it from the top
    // A run that has stopped serving may not have returned yet; it no longer
    // holds the port, so this wait is short, and start() needs it finished.
    wait();
    serving = true;
    start();
}

void MasterThread::stop()
{
    const Locker locker(&mutex);
    quit = true;
}

bool MasterThread::stopping()
{
    const Locker locker(&mutex);
    // A transaction handed over meanwhile takes the place of this one.
    return quit || pending;
}

void MasterThread::run()
{
#ifdef Q_OS_LINUX
    // Linux lets a sleeping thread wake up to 50 us late; every answer ends
    // with a 10 ms wait, 510 of them a walk. This thread ends with its run.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    // One turn per transaction; a turn starts only after the GUI handed one
    // over, which it does only after the end of the previous one.
    for (;;) {
        QString currentPortName;
        QString type;
        bool bypass = false;
        RadioConfig values;
        {
            const Locker locker(&mutex);
            if (quit || !pending) {
                serving = false;
                return;
            }
            pending = false;
            currentPortName = portName;
            type = requestType;
            bypass = homeBypass;
            values = config;
        }
        recordCounter = 1;
        serve(currentPortName, type, bypass, values);
    }
}

void MasterThread::serve(const QString &currentPortName, const QString &type, bool bypass,
                         const RadioConfig &values)
{
    QSerialPort serial;
    serial.setPortName(currentPortName);
    serial.setBaudRate(QSerialPort::Baud115200);
    if (!serial.open(QIODevice::ReadWrite)) {
        const QString reason = openFailure(serial);
        emit error(
            tr("Can't open %1, error code %2").arg(currentPortName).arg(errorCode(serial.error())) +
            QStringLiteral(": ") + reason);
        emit ended(LinkOutcome{LinkOutcome::CannotOpen, reason});
        return;
    }

    const bool read = type == QLatin1String("Read");
    const bool write = type == QLatin1String("Write");
    const int lastIndex = walkLength(type, bypass) - 1;
    QString end = tr("Complete!");
    LinkOutcome::Kind kind = LinkOutcome::Complete;
    for (int index = 0; index <= lastIndex; ++index) {
        // Between two exchanges, never inside one: a closed dialog or the
        // end of the program ends the walk here, and nothing is sent.
        if (index > 0 && stopping()) {
            end.clear();
            kind = LinkOutcome::Stopped;
            break;
        }
        const QByteArray frame = read    ? Frames::buildReadRequest(index, recordCounter)
                                 : write ? Frames::buildWriteFrame(index, values, recordCounter)
                                         : Frames::buildFactoryFrame();
        emit request(frame);
        serial.write(frame);
        if (!serial.waitForBytesWritten(writeWaitMs)) {
            end = tr("Write TimeOut");
            kind = LinkOutcome::WriteTimeout;
            break;
        }
        if (!serial.waitForReadyRead(firstBytesWaitMs)) {
            end = tr("TimeOut");
            kind = LinkOutcome::Timeout;
            break;
        }
        QByteArray answer = serial.readAll();
        while (answer.size() < maxAnswerBytes && serial.waitForReadyRead(silenceMs))
            answer += serial.readAll();
        // The wait that saw the silence leaves TimeoutError set.
        serial.clearError();
        if (answer.size() >= maxAnswerBytes) {
            end = tr("TimeOut");
            kind = LinkOutcome::Timeout;
            break;
        }
        emit response(answer);
    }
    // Closed before the end is reported, so that the port is free once the
    // dialog shows it.
    serial.close();
    if (!end.isEmpty())
        emit timeout(end);
    emit ended(LinkOutcome{kind, QString()});
}
