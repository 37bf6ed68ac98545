// radio-unit-sim: one emulated radio unit on UDP and on a serial line, so the
// tool can be tried without the hardware.

#include "app/datafile.h"
#include "link/frames.h"
#include "unit/radiounit.h"
#include "unit/unitserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSharedPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    // Nothing else is safe in a handler; the event loop does the rest.
    ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    (void)ignored;
}

void logLine(const QString &text)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
    std::fprintf(stdout, "%s %s\n", qPrintable(stamp), qPrintable(text));
    std::fflush(stdout);
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

bool parseHex(const QString &text, QByteArray *bytes)
{
    QString digits = text;
    digits.remove(QLatin1Char(' ')).remove(QLatin1Char(':'));
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    if (digits.isEmpty() || digits.size() % 2 != 0)
        return false;
    for (const QChar c : digits) {
        if (!isxdigit(c.toLatin1()))
            return false;
    }
    *bytes = QByteArray::fromHex(digits.toLatin1());
    return true;
}

} // namespace

/// Logs the traffic, sends unasked bytes and ends the run on a signal.
class Simulator : public QObject
{
    Q_OBJECT

public:
    QList<UnitServer *> servers;
    QHash<QObject *, QString> unitOf; ///< "unit k: " for a fleet, else empty
    QByteArray unasked;

public slots:
    void logExchange(const QString &peer, const QByteArray &request, const QByteArray &answer)
    {
        const QString who = unitOf.value(sender()) + peer;
        logLine(QStringLiteral("%1 <- %2").arg(who, hex(request)));
        logLine(answer.isEmpty() ? QStringLiteral("%1 -> (no answer)").arg(who)
                                 : QStringLiteral("%1 -> %2").arg(who, hex(answer)));
    }

    void logUnasked(const QString &peer, const QByteArray &bytes)
    {
        logLine(
            QStringLiteral("%1%2 -> %3 (unasked)").arg(unitOf.value(sender()), peer, hex(bytes)));
    }

    void sendUnasked()
    {
        for (UnitServer *server : servers)
            server->sendUnasked(unasked);
    }

    void stopOnSignal()
    {
        char byte = 0;
        ssize_t ignored = ::read(signalPipe[0], &byte, 1);
        (void)ignored;
        logLine(QStringLiteral("signal received, stopping"));
        QCoreApplication::quit();
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("radio-unit-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Emulates one radio unit, or a fleet of them, so that the configuration tool can be\n"
        "tried without one.\n"
        "It answers Read, Write and Factory Mode requests over UDP and over a serial line\n"
        "(a pseudo-terminal it creates, or a serial device), and logs every request and\n"
        "answer as hex with a time stamp. Stop it with Ctrl+C; --save then writes the\n"
        "unit's configuration to a data file."));
    parser.addHelpOption();
    const QCommandLineOption udpAddress(
        QStringLiteral("udp-address"),
        QStringLiteral("Address to listen on for request datagrams (default 127.0.0.2). Only "
                       "loopback addresses are taken without --allow-non-loopback."),
        QStringLiteral("address"), QStringLiteral("127.0.0.2"));
    const QCommandLineOption udpPort(
        QStringLiteral("udp-port"),
        QStringLiteral(
            "UDP port to listen on (default 2055; 0 picks a free one, shown in the log)."),
        QStringLiteral("port"), QStringLiteral("2055"));
    const QCommandLineOption replyPort(
        QStringLiteral("reply-port"),
        QStringLiteral("Port each answer datagram is sent to, at the sender's address "
                       "(default 2055, where the tool listens)."),
        QStringLiteral("port"), QStringLiteral("2055"));
    const QCommandLineOption noUdp(QStringLiteral("no-udp"),
                                   QStringLiteral("Do not serve UDP at all."));
    const QCommandLineOption allowNonLoopback(
        QStringLiteral("allow-non-loopback"),
        QStringLiteral("Accept a --udp-address that is not a loopback address. Only for a "
                       "network you own: answers go to whoever sends a request."));
    const QCommandLineOption serial(
        QStringLiteral("serial"),
        QStringLiteral("Serve this serial device (115200 8N1) instead of a pseudo-terminal."),
        QStringLiteral("device"));
    const QCommandLineOption noSerial(
        QStringLiteral("no-serial"),
        QStringLiteral("Serve no serial line (neither a pseudo-terminal nor a device)."));
    const QCommandLineOption ptyLink(
        QStringLiteral("pty-link"),
        QStringLiteral("Also make a symbolic link with this name to the pseudo-terminal's "
                       "slave; removed on exit."),
        QStringLiteral("path"));
    const QCommandLineOption load(
        QStringLiteral("load"),
        QStringLiteral("Start with the configuration of this data file of the tool."),
        QStringLiteral("file"));
    const QCommandLineOption save(
        QStringLiteral("save"),
        QStringLiteral("On exit, write the unit's configuration to this data file (may be the "
                       "--load file)."),
        QStringLiteral("file"));
    const QCommandLineOption errorCode(
        QStringLiteral("error-code"),
        QStringLiteral("Answer write frames of this parameter code (two hex digits, e.g. 36 "
                       "or 4E) with a parameter error. Repeatable."),
        QStringLiteral("hex"));
    const QCommandLineOption errorRecord(
        QStringLiteral("error-record"),
        QStringLiteral("Answer writes of this home-channel record (1 to 500) with a "
                       "parameter error. Repeatable."),
        QStringLiteral("number"));
    const QCommandLineOption stopAfter(
        QStringLiteral("stop-after"),
        QStringLiteral("Answer only the first N requests, then stay silent."), QStringLiteral("N"));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Hold every answer back for MS milliseconds."),
                                   QStringLiteral("ms"));
    const QCommandLineOption pieceSize(
        QStringLiteral("piece-size"),
        QStringLiteral("Send answers in pieces of N bytes (over UDP each piece is a datagram)."),
        QStringLiteral("N"));
    const QCommandLineOption pieceGap(
        QStringLiteral("piece-gap"),
        QStringLiteral("Pause between pieces in milliseconds (default 5; the tool ends a "
                       "serial answer at 10 ms of silence)."),
        QStringLiteral("ms"), QStringLiteral("5"));
    const QCommandLineOption unasked(
        QStringLiteral("unasked"),
        QStringLiteral("Send these bytes (hex, e.g. \"36 02 07\") unasked, every "
                       "--unasked-interval, on the serial line and to the last UDP peer."),
        QStringLiteral("hex"));
    const QCommandLineOption unaskedInterval(
        QStringLiteral("unasked-interval"),
        QStringLiteral("Interval of --unasked in milliseconds (default 1000)."),
        QStringLiteral("ms"), QStringLiteral("1000"));
    const QCommandLineOption maxSeconds(QStringLiteral("max-seconds"),
                                        QStringLiteral("Stop by itself after N seconds."),
                                        QStringLiteral("N"));
    const QCommandLineOption fleet(
        QStringLiteral("fleet"),
        QStringLiteral("Serve N units: on N consecutive addresses from --udp-address and, with "
                       "--pty-link PREFIX, on N pseudo-terminals linked as PREFIX1, PREFIX2 ... "
                       "Unit k has the loaded configuration with -k after its serial number; "
                       "--save then wants {unit} in its name."),
        QStringLiteral("N"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Do not log each request and answer."));
    parser.addOptions({udpAddress, udpPort, replyPort, noUdp,    allowNonLoopback, serial,
                       noSerial,   ptyLink, load,      save,     errorCode,        errorRecord,
                       stopAfter,  delay,   pieceSize, pieceGap, unasked,          unaskedInterval,
                       maxSeconds, fleet,   quiet});
    parser.process(app);

    auto fail = [](const QString &text) {
        std::fprintf(stderr, "radio-unit-sim: %s\n", qPrintable(text));
        return 1;
    };
    auto number = [&parser](const QCommandLineOption &option, int low, int high, int *value) {
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        return ok && *value >= low && *value <= high;
    };

    // Every option is checked before anything is bound, opened or linked, so
    // that a refused run leaves nothing behind.
    int count = 1;
    if (parser.isSet(fleet) && !number(fleet, 1, 4096, &count))
        return fail(QStringLiteral("--fleet wants a count of 1 to 4096"));
    RadioConfig loaded;
    if (parser.isSet(load)) {
        QStringList fields;
        QString error;
        if (!DataFile::loadFields(parser.value(load), &fields, &error))
            return fail(QStringLiteral("cannot load %1: %2").arg(parser.value(load), error));
        if (DataFile::checkHeader(fields.at(0), fields.at(1)) != DataFile::Verdict::Accepted)
            return fail(
                QStringLiteral("%1 is not a data file of the tool").arg(parser.value(load)));
        loaded = DataFile::configFromFields(fields);
    }
    if (count > 1 && parser.isSet(save) && !parser.value(save).contains(QLatin1String("{unit}")))
        return fail(QStringLiteral("--save wants {unit} in its name with --fleet"));
    QList<QSharedPointer<RadioUnit>> units;
    for (int k = 1; k <= count; ++k) {
        units << QSharedPointer<RadioUnit>::create();
        GeneralSettings general = units.last()->toConfig().general;
        if (parser.isSet(load)) {
            units.last()->loadConfig(loaded);
            general = loaded.general;
        }
        general.serialNumber += QStringLiteral("-%1").arg(k);
        if (parser.isSet(fleet))
            units.last()->store(Frames::buildGeneralWriteFrame(2, general));
    }
    const auto everyUnit = [&](const std::function<void(RadioUnit &)> &set) {
        for (const QSharedPointer<RadioUnit> &unit : units)
            set(*unit);
    };
    for (const QString &text : parser.values(errorCode)) {
        QByteArray code;
        if (!parseHex(text, &code) || code.size() != 1)
            return fail(QStringLiteral("--error-code wants one byte in hex, not %1").arg(text));
        everyUnit([&](RadioUnit &unit) { unit.setErrorForCode(code.at(0)); });
    }
    for (const QString &text : parser.values(errorRecord)) {
        bool ok = false;
        const int record = text.toInt(&ok);
        if (!ok || record < 1 || record > RadioUnit::RecordCount)
            return fail(QStringLiteral("--error-record wants 1 to 500, not %1").arg(text));
        everyUnit([&](RadioUnit &unit) { unit.setErrorForRecord(record); });
    }
    int value = 0;
    if (parser.isSet(stopAfter)) {
        if (!number(stopAfter, 0, INT_MAX, &value))
            return fail(QStringLiteral("--stop-after wants a count"));
        everyUnit([&](RadioUnit &unit) { unit.setStopAfter(value); });
    }
    int answerDelay = 0, size = 0, gap = 0;
    if (parser.isSet(delay) && !number(delay, 0, 600000, &answerDelay))
        return fail(QStringLiteral("--delay wants milliseconds"));
    if (parser.isSet(pieceSize) && !number(pieceSize, 1, 4096, &size))
        return fail(QStringLiteral("--piece-size wants a byte count"));
    if (!number(pieceGap, 0, 60000, &gap))
        return fail(QStringLiteral("--piece-gap wants milliseconds"));
    QByteArray unaskedBytes;
    int interval = 0;
    if (parser.isSet(unasked) && !parseHex(parser.value(unasked), &unaskedBytes))
        return fail(QStringLiteral("--unasked wants hex bytes"));
    if (!number(unaskedInterval, 1, 3600000, &interval))
        return fail(QStringLiteral("--unasked-interval wants milliseconds"));
    int seconds = 0;
    if (parser.isSet(maxSeconds) && !number(maxSeconds, 1, 86400 * 7, &seconds))
        return fail(QStringLiteral("--max-seconds wants a count"));
    const QHostAddress first(parser.value(udpAddress));
    int port = 0, reply = 0;
    QList<QHostAddress> addresses;
    if (!parser.isSet(noUdp)) {
        if (first.protocol() != QAbstractSocket::IPv4Protocol)
            return fail(QStringLiteral("bad --udp-address %1").arg(parser.value(udpAddress)));
        for (int k = 0; k < count; ++k) {
            const QHostAddress address(first.toIPv4Address() + quint32(k));
            if (!address.isLoopback() && !parser.isSet(allowNonLoopback))
                return fail(QStringLiteral("%1 is not a loopback address; add --allow-non-loopback "
                                           "if you really mean it")
                                .arg(address.toString()));
            addresses << address;
        }
        if (!number(udpPort, 0, 65535, &port) || !number(replyPort, 1, 65535, &reply))
            return fail(QStringLiteral("ports are 1 to 65535 (0 listens on a free port)"));
    }
    const bool pty = !parser.isSet(noSerial) && !parser.isSet(serial);
    if (!pty && !parser.isSet(noSerial) && count > 1)
        return fail(QStringLiteral("--serial serves one unit; a fleet gets pseudo-terminals"));
    QStringList linkNames;
    for (int k = 1; pty && parser.isSet(ptyLink) && k <= count; ++k)
        linkNames << parser.value(ptyLink) + (parser.isSet(fleet) ? QString::number(k) : QString());
    // Only a link of ours from an earlier run is replaced, never a user's file.
    for (const QString &linkName : linkNames) {
        if (QFileInfo(linkName).exists() && !QFileInfo(linkName).isSymLink())
            return fail(QStringLiteral("%1 exists and is not a symbolic link; not replacing it")
                            .arg(linkName));
    }
    if (parser.isSet(noUdp) && parser.isSet(noSerial))
        return fail(QStringLiteral("nothing to serve (--no-udp and --no-serial)"));

    Simulator sim;
    sim.unasked = unaskedBytes;
    const auto serve = [&](UnitServer *server, int k) {
        sim.servers.append(server);
        if (count > 1)
            sim.unitOf.insert(server, QStringLiteral("unit %1: ").arg(k));
    };
    for (int k = 1; k <= count; ++k) {
        RadioUnit *unit = units.at(k - 1).data();
        if (!parser.isSet(noUdp)) {
            auto *udp = new UdpUnitServer(unit, &sim);
            udp->setReplyPort(quint16(reply));
            const QHostAddress &address = addresses.at(k - 1);
            if (!udp->bind(address, quint16(port)))
                return fail(QStringLiteral("cannot bind %1:%2: %3")
                                .arg(address.toString())
                                .arg(port)
                                .arg(udp->errorString()));
            logLine(QStringLiteral("udp: listening on %1:%2, answering to port %3")
                        .arg(address.toString())
                        .arg(udp->localPort())
                        .arg(reply));
            serve(udp, k);
        }
        if (parser.isSet(noSerial))
            continue;
        auto *line = new SerialUnitServer(unit, &sim);
        if (!pty) {
            if (!line->openDevice(parser.value(serial)))
                return fail(QStringLiteral("cannot open %1: %2")
                                .arg(parser.value(serial), line->errorString()));
            logLine(QStringLiteral("serial: %1 at 115200 8N1").arg(parser.value(serial)));
        } else {
            if (!line->openPseudoTerminal())
                return fail(QStringLiteral("no pseudo-terminal: %1").arg(line->errorString()));
            logLine(QStringLiteral("pty: %1").arg(line->slavePath()));
            if (!linkNames.isEmpty()) {
                const QString &linkName = linkNames.at(k - 1);
                if (QFileInfo(linkName).isSymLink())
                    QFile::remove(linkName);
                if (!QFile::link(line->slavePath(), linkName))
                    return fail(QStringLiteral("cannot create link %1").arg(linkName));
                logLine(QStringLiteral("pty link: %1").arg(linkName));
            }
        }
        serve(line, k);
    }

    for (UnitServer *server : sim.servers) {
        server->setAnswerDelay(answerDelay);
        server->setPieces(size, gap);
        if (!parser.isSet(quiet))
            QObject::connect(server, SIGNAL(exchanged(QString, QByteArray, QByteArray)), &sim,
                             SLOT(logExchange(QString, QByteArray, QByteArray)));
        QObject::connect(server, SIGNAL(unaskedSent(QString, QByteArray)), &sim,
                         SLOT(logUnasked(QString, QByteArray)));
    }
    if (parser.isSet(unasked)) {
        auto *timer = new QTimer(&sim);
        QObject::connect(timer, SIGNAL(timeout()), &sim, SLOT(sendUnasked()));
        timer->start(interval);
    }
    if (parser.isSet(maxSeconds))
        QTimer::singleShot(seconds * 1000, &app, SLOT(quit()));

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return fail(QStringLiteral("no signal pipe"));
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, SIGNAL(activated(int)), &sim, SLOT(stopOnSignal()));
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    const int status = app.exec();

    for (const QString &linkName : linkNames) {
        if (QFileInfo(linkName).isSymLink())
            QFile::remove(linkName);
    }
    int served = 0;
    for (const QSharedPointer<RadioUnit> &unit : units)
        served += unit->requestCount();
    logLine(QStringLiteral("%1 requests served").arg(served));
    for (int k = 1; parser.isSet(save) && k <= count; ++k) {
        const RadioConfig config = units.at(k - 1)->toConfig();
        const QStringList fields = DataFile::fieldsFromConfig(
            config, DataFile::checksFromFeatureWord(config.general.features));
        const QString path =
            QString(parser.value(save)).replace(QLatin1String("{unit}"), QString::number(k));
        QString error;
        if (!DataFile::saveFields(path, fields, &error))
            return fail(QStringLiteral("cannot save %1: %2").arg(path, error));
        logLine(QStringLiteral("saved %1").arg(path));
    }
    return status;
}

#include "simmain.moc"
