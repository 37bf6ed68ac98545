#include "link/udpwalk.h"

#include "link/frames.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {

// Linux lets a sleeping thread wake up to 50 us late; at one request a
// millisecond that alone stretches a walk by 5 %. Tight only while a walk
// runs; 0 gives the thread its default back.
void tightTimers(bool on)
{
#ifdef Q_OS_LINUX
    prctl(PR_SET_TIMERSLACK, on ? 1UL : 0UL, 0UL, 0UL, 0UL);
#else
    Q_UNUSED(on);
#endif
}

} // namespace

bool parseUnitAddress(const QString &text, QHostAddress *address)
{
    // Only the full dotted form: the parser would also take "10.10.9" or
    // "2130706434" and send them to some other host.
    static const QRegularExpression dotted(
        QStringLiteral("^(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\."
                       "(0|[1-9][0-9]{0,2})$"));
    const QRegularExpressionMatch match = dotted.match(text);
    if (!match.hasMatch())
        return false;
    quint32 ip = 0;
    for (int part = 1; part <= 4; ++part) {
        const uint number = match.captured(part).toUInt();
        if (number > 255)
            return false;
        ip = ip << 8 | number;
    }
    // The unit is one host that answers one request at a time: 0.0.0.0
    // names no host, and a broadcast or multicast request (224.0.0.0 and
    // up, with the reserved block and 255.255.255.255) would reach every
    // unit on the segment and mix their answers up.
    if (ip == 0 || (ip >> 28) >= 0xE)
        return false;
    if (address)
        address->setAddress(ip);
    return true;
}

UdpWalk::UdpWalk(QObject *parent) : QObject(parent)
{
    timer = new QTimer(this);
    // A coarse timer may fire 5 % off; the 400 ms and 1 ms steps are kept.
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, SIGNAL(timeout()), this, SLOT(processTimer()));
}

UdpWalk::~UdpWalk()
{
    if (isRunning())
        tightTimers(false);
}

void UdpWalk::start(const QString &type)
{
    answers = 0;
    commandIndex = 0;
    retryCount = 0;
    if (type != QLatin1String("Factory"))
        recordCounter = 1;
    requestType = type;
    tightTimers(true);
    timer->start(WaitInterval);
}

void UdpWalk::stop()
{
    if (!timer->isActive())
        return;
    timer->stop();
    tightTimers(false);
    emit ended(LinkOutcome{LinkOutcome::Stopped, QString()});
}

bool UdpWalk::isRunning() const
{
    return timer->isActive();
}

void UdpWalk::answered()
{
    ++answers;
    // Brings the next tick forward; a stopped timer stays stopped.
    timer->setInterval(AnsweredInterval);
}

void UdpWalk::setHomeBypass(bool on)
{
    homeBypass = on;
}

void UdpWalk::processTimer()
{
    // Fewer answers than requests sent: the last request went unanswered.
    if (commandIndex > answers) {
        ++retryCount;
        --commandIndex;
        // The counter moves once per command index, not once per sending.
        if (commandIndex >= Frames::GeneralCount)
            --recordCounter;
    } else {
        retryCount = 0;
    }

    QByteArray frame;
    if (requestType == QLatin1String("Read")) {
        frame = Frames::buildReadRequest(commandIndex, recordCounter);
        ++commandIndex;
    } else if (requestType == QLatin1String("Write")) {
        frame = Frames::buildWriteFrame(
            commandIndex, writeValues ? writeValues(commandIndex) : freshConfig(), recordCounter);
        ++commandIndex;
    } else {
        frame = Frames::buildFactoryFrame();
    }
    emit request(frame);

    if (requestType == QLatin1String("Factory") ||
        commandIndex >= walkLength(requestType, homeBypass))
        end(tr("Complete!"), LinkOutcome::Complete);
    else if (retryCount >= MaxResends)
        end(tr("Timeout!"), LinkOutcome::Timeout);
    else
        // Starts the period over; the answer shortens it again.
        timer->setInterval(WaitInterval);
}

void UdpWalk::end(const QString &text, LinkOutcome::Kind kind)
{
    timer->stop();
    tightTimers(false);
    timer->setInterval(WaitInterval);
    emit finished(text);
    emit ended(LinkOutcome{kind, QString()});
}
