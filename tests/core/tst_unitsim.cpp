#include "app/datafile.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

namespace {

const QString simPath = QStringLiteral(RADIO_UNIT_SIM);
const QHostAddress unitAddress(QStringLiteral("127.0.0.2"));

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Whatever the process has printed so far, collected into log.
QString readLog(QProcess &process, QString &log)
{
    log += QString::fromLocal8Bit(process.readAllStandardOutput());
    return log;
}

QString captured(const QString &log, const QString &pattern)
{
    return QRegularExpression(pattern).match(log).captured(1);
}

int drain(QUdpSocket &socket, QList<QByteArray> &into)
{
    while (socket.hasPendingDatagrams())
        into.append(socket.receiveDatagram().data());
    return into.size();
}

} // namespace

class TestUnitSim : public QObject
{
    Q_OBJECT

private slots:
    void helpExplainsOption_data();
    void helpExplainsOption();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void servesUdpLoadsAndSaves();
    void servesPseudoTerminal();
};

void TestUnitSim::helpExplainsOption_data()
{
    QTest::addColumn<QString>("option");
    for (const char *name :
         {"udp-address", "udp-port",     "reply-port",       "no-udp",      "allow-non-loopback",
          "serial",      "no-serial",    "pty-link",         "load",        "save",
          "error-code",  "error-record", "stop-after",       "delay",       "piece-size",
          "piece-gap",   "unasked",      "unasked-interval", "max-seconds", "help"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestUnitSim::helpExplainsOption()
{
    QFETCH(QString, option);

    QProcess sim;
    sim.start(simPath, {QStringLiteral("--help")});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(sim.readAllStandardOutput());
    // The option and some words about it on the same line.
    const QRegularExpression line(QStringLiteral("--%1\\b[^\\n]*\\s{2,}\\w+").arg(option));
    QVERIFY2(line.match(help).hasMatch(), qPrintable(help));
}

void TestUnitSim::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");

    QTest::newRow("non-loopback address")
        << QStringList{"--no-serial", "--udp-address", "192.0.2.7"} << "loopback";
    QTest::newRow("not an address")
        << QStringList{"--no-serial", "--udp-address", "unit"} << "udp-address";
    QTest::newRow("error code not hex") << QStringList{"--error-code", "zz"} << "error-code";
    QTest::newRow("record 501") << QStringList{"--error-record", "501"} << "error-record";
    QTest::newRow("nothing to serve") << QStringList{"--no-serial", "--no-udp"} << "nothing";
    QTest::newRow("missing data file")
        << QStringList{"--no-serial", "--no-udp", "--load", "/nonexistent/unit.dat"}
        << "nonexistent";
}

// Refused before anything is bound or opened.
void TestUnitSim::refusesBadOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);

    QProcess sim;
    sim.start(simPath, arguments);
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(sim.readAllStandardError());
    QVERIFY2(error.contains(reason), qPrintable(error));
}

void TestUnitSim::servesUdpLoadsAndSaves()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    RadioConfig config;
    config.general.userDescription = QStringLiteral("From the file");
    config.general.dtmfDelay = QStringLiteral("9");
    config.general.minVolume = QStringLiteral("3");
    config.general.serialNumber = QStringLiteral("SN-77");
    config.general.ip = QStringLiteral("10.1.2.3");
    config.general.features = 0x0102;
    config.rows[41] = HomeRow{"301", "302", "12", "13", "Siding"};
    const QString in = dir.filePath(QStringLiteral("in.dat"));
    const QString out = dir.filePath(QStringLiteral("out.dat"));
    QString error;
    QVERIFY(DataFile::saveFields(in,
                                 DataFile::fieldsFromConfig(config, DataFile::checksFromFeatureWord(
                                                                        config.general.features)),
                                 &error));

    QUdpSocket tool;
    QVERIFY(tool.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    QProcess sim;
    sim.start(simPath,
              {"--no-serial", "--udp-port", "0", "--reply-port", QString::number(tool.localPort()),
               "--load", in, "--save", out, "--max-seconds", "120"});
    QVERIFY(sim.waitForStarted(10000));
    QString log;
    const QString listening = QStringLiteral("udp: listening on 127\\.0\\.0\\.2:(\\d+)");
    QTRY_VERIFY_WITH_TIMEOUT(!captured(readLog(sim, log), listening).isEmpty(), 10000);
    const quint16 port = captured(log, listening).toUShort();

    QList<QByteArray> answers;
    const QByteArrayList requests = {hex("3C02"), hex("36012A"), hex("3602"), hex("3302002A")};
    for (const QByteArray &request : requests) {
        tool.writeDatagram(request, unitAddress, port);
        const int expected = answers.size() + 1;
        QTRY_COMPARE_WITH_TIMEOUT(drain(tool, answers), expected, 10000);
    }
    QCOMPARE(answers.at(0), hex("3C02") + "From the file" + QByteArray(3, '\0'));
    QCOMPARE(answers.at(1), hex("360100"));
    QCOMPARE(answers.at(2), hex("36022A"));
    QCOMPARE(answers.at(3).mid(4, 6), QByteArray("301302"));
    QTRY_VERIFY_WITH_TIMEOUT(readLog(sim, log).contains(QLatin1String("-> 36 02 2A")), 10000);
    QVERIFY2(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d{3} udp 127\\.0\\.0\\.1:"
                                               "\\d+ <- 36 01 2A"))
                 .match(log)
                 .hasMatch(),
             qPrintable(log));

    sim.terminate();
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);

    QStringList fields;
    QVERIFY2(DataFile::loadFields(out, &fields, &error), qPrintable(error));
    RadioConfig expected = config;
    expected.general.dtmfDelay = QStringLiteral("42");
    const RadioConfig saved = DataFile::configFromFields(fields);
    QCOMPARE(saved.general, expected.general);
    QVERIFY(saved.rows == expected.rows);
}

void TestUnitSim::servesPseudoTerminal()
{
    QProcess sim;
    sim.start(simPath, {"--no-udp", "--error-code", "39", "--max-seconds", "120"});
    QVERIFY(sim.waitForStarted(10000));
    QString log;
    const QString pty = QStringLiteral("pty: (/dev/\\S+)");
    QTRY_VERIFY_WITH_TIMEOUT(!captured(readLog(sim, log), pty).isEmpty(), 10000);

    QSerialPort tool(captured(log, pty));
    tool.setBaudRate(QSerialPort::Baud115200);
    QVERIFY2(tool.open(QIODevice::ReadWrite), qPrintable(tool.errorString()));
    tool.write(hex("390102"));
    QByteArray got;
    QTRY_COMPARE_WITH_TIMEOUT((got += tool.readAll()).size(), 3, 10000);
    QCOMPARE(got, hex("390101"));
    tool.close();

    sim.terminate();
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(readLog(sim, log).contains(QLatin1String("1 requests served")));
}

QTEST_GUILESS_MAIN(TestUnitSim)
#include "tst_unitsim.moc"
