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

namespace {

/// Every option, in the order --help lists them.
struct Options
{
    // Where the units listen.
    const QCommandLineOption udpAddress{
        QStringLiteral("udp-address"),
        QStringLiteral("Address to listen on for request datagrams (default 127.0.0.2). Only "
                       "loopback addresses are taken without --allow-non-loopback."),
        QStringLiteral("address"), QStringLiteral("127.0.0.2")};
    const QCommandLineOption udpPort{
        QStringLiteral("udp-port"),
        QStringLiteral(
            "UDP port to listen on (default 2055; 0 picks a free one, shown in the log)."),
        QStringLiteral("port"), QStringLiteral("2055")};
    const QCommandLineOption replyPort{
        QStringLiteral("reply-port"),
        QStringLiteral("Port each answer datagram is sent to, at the sender's address "
                       "(default 2055, where the tool listens)."),
        QStringLiteral("port"), QStringLiteral("2055")};
    const QCommandLineOption noUdp{QStringLiteral("no-udp"),
                                   QStringLiteral("Do not serve UDP at all.")};
    const QCommandLineOption allowNonLoopback{
        QStringLiteral("allow-non-loopback"),
        QStringLiteral("Accept a --udp-address that is not a loopback address. Only for a "
                       "network you own: answers go to whoever sends a request.")};
    const QCommandLineOption serial{
        QStringLiteral("serial"),
        QStringLiteral("Serve this serial device (115200 8N1) instead of a pseudo-terminal."),
        QStringLiteral("device")};
    const QCommandLineOption noSerial{
        QStringLiteral("no-serial"),
        QStringLiteral("Serve no serial line (neither a pseudo-terminal nor a device).")};
    const QCommandLineOption ptyLink{
        QStringLiteral("pty-link"),
        QStringLiteral("Also make a symbolic link with this name to the pseudo-terminal's "
                       "slave; removed on exit."),
        QStringLiteral("path")};
    // What the units hold.
    const QCommandLineOption load{
        QStringLiteral("load"),
        QStringLiteral("Start with the configuration of this data file of the tool."),
        QStringLiteral("file")};
    const QCommandLineOption save{
        QStringLiteral("save"),
        QStringLiteral("On exit, write the unit's configuration to this data file (may be the "
                       "--load file)."),
        QStringLiteral("file")};
    // Faults.
    const QCommandLineOption errorCode{
        QStringLiteral("error-code"),
        QStringLiteral("Answer write frames of this parameter code (two hex digits, e.g. 36 "
                       "or 4E) with a parameter error. Repeatable."),
        QStringLiteral("hex")};
    const QCommandLineOption errorRecord{
        QStringLiteral("error-record"),
        QStringLiteral("Answer writes of this home-channel record (1 to 500) with a "
                       "parameter error. Repeatable."),
        QStringLiteral("number")};
    const QCommandLineOption ignoreWrite{
        QStringLiteral("ignore-write"),
        QStringLiteral("Answer write frames of this parameter code (two hex digits, e.g. 3C, "
                       "or 33 for the home channels) as accepted but keep the old value. "
                       "Repeatable."),
        QStringLiteral("hex")};
    const QCommandLineOption stopAfter{
        QStringLiteral("stop-after"),
        QStringLiteral("Answer only the first N requests, then stay silent."), QStringLiteral("N")};
    // Pace of the answers.
    const QCommandLineOption delay{QStringLiteral("delay"),
                                   QStringLiteral("Hold every answer back for MS milliseconds."),
                                   QStringLiteral("ms")};
    const QCommandLineOption pieceSize{
        QStringLiteral("piece-size"),
        QStringLiteral("Send answers in pieces of N bytes (over UDP each piece is a datagram)."),
        QStringLiteral("N")};
    const QCommandLineOption pieceGap{
        QStringLiteral("piece-gap"),
        QStringLiteral("Pause between pieces in milliseconds (default 5; the tool ends a "
                       "serial answer at 10 ms of silence)."),
        QStringLiteral("ms"), QStringLiteral("5")};
    const QCommandLineOption unasked{
        QStringLiteral("unasked"),
        QStringLiteral("Send these bytes (hex, e.g. \"36 02 07\") unasked, every "
                       "--unasked-interval, on the serial line and to the last UDP peer."),
        QStringLiteral("hex")};
    const QCommandLineOption unaskedInterval{
        QStringLiteral("unasked-interval"),
        QStringLiteral("Interval of --unasked in milliseconds (default 1000)."),
        QStringLiteral("ms"), QStringLiteral("1000")};
    // The run.
    const QCommandLineOption maxSeconds{QStringLiteral("max-seconds"),
                                        QStringLiteral("Stop by itself after N seconds."),
                                        QStringLiteral("N")};
    const QCommandLineOption fleet{
        QStringLiteral("fleet"),
        QStringLiteral("Serve N units: on N consecutive addresses from --udp-address and, with "
                       "--pty-link PREFIX, on N pseudo-terminals linked as PREFIX1, PREFIX2 ... "
                       "Unit k has the loaded configuration with -k after its serial number; "
                       "--save then wants {unit} in its name."),
        QStringLiteral("N")};
    const QCommandLineOption quiet{QStringLiteral("quiet"),
                                   QStringLiteral("Do not log each request and answer.")};

    QList<QCommandLineOption> all() const
    {
        return {udpAddress,      udpPort,    replyPort, noUdp,     allowNonLoopback, serial,
                noSerial,        ptyLink,    load,      save,      errorCode,        errorRecord,
                ignoreWrite,     stopAfter,  delay,     pieceSize, pieceGap,         unasked,
                unaskedInterval, maxSeconds, fleet,     quiet};
    }
};

/// What the options ask for.
struct Plan
{
    int count = 1;
    QList<QSharedPointer<RadioUnit>> units;
    int answerDelay = 0;
    int pieceSize = 0;
    int pieceGap = 0;
    QByteArray unasked;
    int unaskedInterval = 0;
    int seconds = 0;
    QList<QHostAddress> addresses;
    int port = 0;
    int reply = 0;
    bool pty = false;
    QStringList linkNames;
};

/// Checks every option, group by group, before anything is bound, opened or
/// linked, so that a refused run leaves nothing behind. Each group stops at
/// its first refusal, with the reason in error.
class Checker
{
public:
    Checker(const QCommandLineParser &parser, const Options &options) : parser(parser), o(options)
    {}

    bool check(Plan *plan)
    {
        return units(plan) && faults(plan) && pace(plan) && lifetime(plan) && udp(plan) &&
               serial(plan);
    }

    QString error;

private:
    bool refuse(const QString &text)
    {
        error = text;
        return false;
    }

    bool number(const QCommandLineOption &option, int low, int high, int *value) const
    {
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        return ok && *value >= low && *value <= high;
    }

    // One byte in hex for each time the option is given.
    bool codes(const QCommandLineOption &option, QList<char> *found)
    {
        for (const QString &text : parser.values(option)) {
            QByteArray code;
            if (!parseHex(text, &code) || code.size() != 1)
                return refuse(QStringLiteral("--%1 wants one byte in hex, not %2")
                                  .arg(option.names().first(), text));
            *found << code.at(0);
        }
        return true;
    }

    void everyUnit(const Plan *plan, const std::function<void(RadioUnit &)> &set) const
    {
        for (const QSharedPointer<RadioUnit> &unit : plan->units)
            set(*unit);
    }

    // --fleet, --load and --save: the units and what they start with.
    bool units(Plan *plan)
    {
        if (parser.isSet(o.fleet) && !number(o.fleet, 1, 4096, &plan->count))
            return refuse(QStringLiteral("--fleet wants a count of 1 to 4096"));
        RadioConfig loaded;
        if (parser.isSet(o.load)) {
            QStringList fields;
            QString reason;
            if (!DataFile::loadFields(parser.value(o.load), &fields, &reason))
                return refuse(
                    QStringLiteral("cannot load %1: %2").arg(parser.value(o.load), reason));
            if (DataFile::checkHeader(fields.at(0), fields.at(1)) != DataFile::Verdict::Accepted)
                return refuse(
                    QStringLiteral("%1 is not a data file of the tool").arg(parser.value(o.load)));
            loaded = DataFile::configFromFields(fields);
        }
        if (plan->count > 1 && parser.isSet(o.save) &&
            !parser.value(o.save).contains(QLatin1String("{unit}")))
            return refuse(QStringLiteral("--save wants {unit} in its name with --fleet"));
        for (int k = 1; k <= plan->count; ++k) {
            plan->units << QSharedPointer<RadioUnit>::create();
            RadioUnit &unit = *plan->units.last();
            GeneralSettings general = unit.toConfig().general;
            if (parser.isSet(o.load)) {
                unit.loadConfig(loaded);
                general = loaded.general;
            }
            general.serialNumber += QStringLiteral("-%1").arg(k);
            if (parser.isSet(o.fleet))
                unit.store(Frames::buildGeneralWriteFrame(int(Parameter::SerialNumber), general));
        }
        return true;
    }

    // --error-code, --error-record, --ignore-write and --stop-after.
    bool faults(Plan *plan)
    {
        QList<char> refused, ignored;
        if (!codes(o.errorCode, &refused))
            return false;
        for (const char code : refused)
            everyUnit(plan, [&](RadioUnit &unit) { unit.setErrorForCode(code); });
        for (const QString &text : parser.values(o.errorRecord)) {
            bool ok = false;
            const int record = text.toInt(&ok);
            if (!ok || record < 1 || record > RadioUnit::RecordCount)
                return refuse(QStringLiteral("--error-record wants 1 to 500, not %1").arg(text));
            everyUnit(plan, [&](RadioUnit &unit) { unit.setErrorForRecord(record); });
        }
        if (!codes(o.ignoreWrite, &ignored))
            return false;
        for (const char code : ignored)
            everyUnit(plan, [&](RadioUnit &unit) { unit.setIgnoreWriteForCode(code); });
        int count = 0;
        if (parser.isSet(o.stopAfter)) {
            if (!number(o.stopAfter, 0, INT_MAX, &count))
                return refuse(QStringLiteral("--stop-after wants a count"));
            everyUnit(plan, [&](RadioUnit &unit) { unit.setStopAfter(count); });
        }
        return true;
    }

    // --delay, --piece-size, --piece-gap, --unasked and --unasked-interval.
    bool pace(Plan *plan)
    {
        if (parser.isSet(o.delay) && !number(o.delay, 0, 600000, &plan->answerDelay))
            return refuse(QStringLiteral("--delay wants milliseconds"));
        if (parser.isSet(o.pieceSize) && !number(o.pieceSize, 1, 4096, &plan->pieceSize))
            return refuse(QStringLiteral("--piece-size wants a byte count"));
        if (!number(o.pieceGap, 0, 60000, &plan->pieceGap))
            return refuse(QStringLiteral("--piece-gap wants milliseconds"));
        if (parser.isSet(o.unasked) && !parseHex(parser.value(o.unasked), &plan->unasked))
            return refuse(QStringLiteral("--unasked wants hex bytes"));
        if (!number(o.unaskedInterval, 1, 3600000, &plan->unaskedInterval))
            return refuse(QStringLiteral("--unasked-interval wants milliseconds"));
        return true;
    }

    // --max-seconds.
    bool lifetime(Plan *plan)
    {
        if (parser.isSet(o.maxSeconds) && !number(o.maxSeconds, 1, 86400 * 7, &plan->seconds))
            return refuse(QStringLiteral("--max-seconds wants a count"));
        return true;
    }

    // --udp-address, --allow-non-loopback, --udp-port and --reply-port.
    bool udp(Plan *plan)
    {
        if (parser.isSet(o.noUdp))
            return true;
        const QHostAddress first(parser.value(o.udpAddress));
        if (first.protocol() != QAbstractSocket::IPv4Protocol)
            return refuse(QStringLiteral("bad --udp-address %1").arg(parser.value(o.udpAddress)));
        for (int k = 0; k < plan->count; ++k) {
            const QHostAddress address(first.toIPv4Address() + quint32(k));
            if (!address.isLoopback() && !parser.isSet(o.allowNonLoopback))
                return refuse(
                    QStringLiteral("%1 is not a loopback address; add --allow-non-loopback "
                                   "if you really mean it")
                        .arg(address.toString()));
            plan->addresses << address;
        }
        if (!number(o.udpPort, 0, 65535, &plan->port) ||
            !number(o.replyPort, 1, 65535, &plan->reply))
            return refuse(QStringLiteral("ports are 1 to 65535 (0 listens on a free port)"));
        return true;
    }

    // --serial, --no-serial and --pty-link; then that something is served.
    bool serial(Plan *plan)
    {
        plan->pty = !parser.isSet(o.noSerial) && !parser.isSet(o.serial);
        if (!plan->pty && !parser.isSet(o.noSerial) && plan->count > 1)
            return refuse(
                QStringLiteral("--serial serves one unit; a fleet gets pseudo-terminals"));
        for (int k = 1; plan->pty && parser.isSet(o.ptyLink) && k <= plan->count; ++k)
            plan->linkNames << parser.value(o.ptyLink) +
                                   (parser.isSet(o.fleet) ? QString::number(k) : QString());
        // Only a link of ours from an earlier run is replaced, never a user's file.
        for (const QString &linkName : plan->linkNames) {
            if (QFileInfo(linkName).exists() && !QFileInfo(linkName).isSymLink())
                return refuse(
                    QStringLiteral("%1 exists and is not a symbolic link; not replacing it")
                        .arg(linkName));
        }
        if (parser.isSet(o.noUdp) && parser.isSet(o.noSerial))
            return refuse(QStringLiteral("nothing to serve (--no-udp and --no-serial)"));
        return true;
    }

    const QCommandLineParser &parser;
    const Options &o;
};

int fail(const QString &text)
{
    std::fprintf(stderr, "radio-unit-sim: %s\n", qPrintable(text));
    return 1;
}

// Binds each unit's UDP socket and opens its serial line as the plan says;
// false with the reason in error.
bool serve(const QCommandLineParser &parser, const Options &o, const Plan &plan, Simulator &sim,
           QString *error)
{
    const auto served = [&](UnitServer *server, int k) {
        sim.servers.append(server);
        if (plan.count > 1)
            sim.unitOf.insert(server, QStringLiteral("unit %1: ").arg(k));
    };
    for (int k = 1; k <= plan.count; ++k) {
        RadioUnit *unit = plan.units.at(k - 1).data();
        if (!parser.isSet(o.noUdp)) {
            auto *udp = new UdpUnitServer(unit, &sim);
            udp->setReplyPort(quint16(plan.reply));
            const QHostAddress &address = plan.addresses.at(k - 1);
            if (!udp->bind(address, quint16(plan.port))) {
                *error = QStringLiteral("cannot bind %1:%2: %3")
                             .arg(address.toString())
                             .arg(plan.port)
                             .arg(udp->errorString());
                return false;
            }
            logLine(QStringLiteral("udp: listening on %1:%2, answering to port %3")
                        .arg(address.toString())
                        .arg(udp->localPort())
                        .arg(plan.reply));
            served(udp, k);
        }
        if (parser.isSet(o.noSerial))
            continue;
        auto *line = new SerialUnitServer(unit, &sim);
        if (!plan.pty) {
            if (!line->openDevice(parser.value(o.serial))) {
                *error = QStringLiteral("cannot open %1: %2")
                             .arg(parser.value(o.serial), line->errorString());
                return false;
            }
            logLine(QStringLiteral("serial: %1 at 115200 8N1").arg(parser.value(o.serial)));
        } else {
            if (!line->openPseudoTerminal()) {
                *error = QStringLiteral("no pseudo-terminal: %1").arg(line->errorString());
                return false;
            }
            logLine(QStringLiteral("pty: %1").arg(line->slavePath()));
            if (!plan.linkNames.isEmpty()) {
                const QString &linkName = plan.linkNames.at(k - 1);
                if (QFileInfo(linkName).isSymLink())
                    QFile::remove(linkName);
                if (!QFile::link(line->slavePath(), linkName)) {
                    *error = QStringLiteral("cannot create link %1").arg(linkName);
                    return false;
                }
                logLine(QStringLiteral("pty link: %1").arg(linkName));
            }
        }
        served(line, k);
    }
    return true;
}

// The pace and the log of every server, the unasked bytes and the end of the run.
void startServing(const QCommandLineParser &parser, const Options &o, const Plan &plan,
                  Simulator &sim)
{
    for (UnitServer *server : sim.servers) {
        server->setAnswerDelay(plan.answerDelay);
        server->setPieces(plan.pieceSize, plan.pieceGap);
        if (!parser.isSet(o.quiet))
            QObject::connect(server, SIGNAL(exchanged(QString, QByteArray, QByteArray)), &sim,
                             SLOT(logExchange(QString, QByteArray, QByteArray)));
        QObject::connect(server, SIGNAL(unaskedSent(QString, QByteArray)), &sim,
                         SLOT(logUnasked(QString, QByteArray)));
    }
    if (parser.isSet(o.unasked)) {
        auto *timer = new QTimer(&sim);
        QObject::connect(timer, SIGNAL(timeout()), &sim, SLOT(sendUnasked()));
        timer->start(plan.unaskedInterval);
    }
    if (parser.isSet(o.maxSeconds))
        QTimer::singleShot(plan.seconds * 1000, QCoreApplication::instance(), SLOT(quit()));
}

// SIGINT and SIGTERM end the event loop through the signal pipe.
bool catchSignals(Simulator &sim)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &sim);
    QObject::connect(notifier, SIGNAL(activated(int)), &sim, SLOT(stopOnSignal()));
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return true;
}

// Removes the links and, with --save, writes each unit's configuration.
bool finish(const QCommandLineParser &parser, const Options &o, const Plan &plan, QString *error)
{
    for (const QString &linkName : plan.linkNames) {
        if (QFileInfo(linkName).isSymLink())
            QFile::remove(linkName);
    }
    int served = 0;
    for (const QSharedPointer<RadioUnit> &unit : plan.units)
        served += unit->requestCount();
    logLine(QStringLiteral("%1 requests served").arg(served));
    for (int k = 1; parser.isSet(o.save) && k <= plan.count; ++k) {
        const RadioConfig config = plan.units.at(k - 1)->toConfig();
        const QStringList fields = DataFile::fieldsFromConfig(
            config, DataFile::checksFromFeatureWord(config.general.features));
        const QString path =
            QString(parser.value(o.save)).replace(QLatin1String("{unit}"), QString::number(k));
        if (!DataFile::saveFields(path, fields, error)) {
            *error = QStringLiteral("cannot save %1: %2").arg(path, *error);
            return false;
        }
        logLine(QStringLiteral("saved %1").arg(path));
    }
    return true;
}

} // namespace

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
    const Options options;
    parser.addOptions(options.all());
    parser.process(app);

    Plan plan;
    Checker checker(parser, options);
    if (!checker.check(&plan))
        return fail(checker.error);

    Simulator sim;
    sim.unasked = plan.unasked;
    QString error;
    if (!serve(parser, options, plan, sim, &error))
        return fail(error);
    startServing(parser, options, plan, sim);
    if (!catchSignals(sim))
        return fail(QStringLiteral("no signal pipe"));

    const int status = app.exec();

    if (!finish(parser, options, plan, &error))
        return fail(error);
    return status;
}

#include "simmain.moc"
