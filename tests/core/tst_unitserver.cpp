#include "link/frames.h"
#include "unit/radiounit.h"
#include "unit/unitserver.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSerialPort>
#include <QUdpSocket>
#include <QtTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QHostAddress unitAddress(QStringLiteral("127.0.0.2"));
const QHostAddress toolAddress(QStringLiteral("127.0.0.1"));

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

int drain(QUdpSocket &socket, QList<QNetworkDatagram> &into)
{
    while (socket.hasPendingDatagrams())
        into.append(socket.receiveDatagram());
    return into.size();
}

QByteArray joined(const QList<QNetworkDatagram> &datagrams)
{
    QByteArray bytes;
    for (const QNetworkDatagram &d : datagrams)
        bytes += d.data();
    return bytes;
}

// Reads what a port has and returns the total gathered so far.
int gather(QSerialPort &port, QByteArray &into)
{
    into += port.readAll();
    return into.size();
}

} // namespace

class TestUnitServer : public QObject
{
    Q_OBJECT

private slots:
    void udpAnswers_data();
    void udpAnswers();
    void udpTiming_data();
    void udpTiming();
    void udpUnaskedAfterSilence();
    void ptyAnswers_data();
    void ptyAnswers();
    void ptyTiming_data();
    void ptyTiming();
    void ptyRequestEndsAtSilence_data();
    void ptyRequestEndsAtSilence();
    void ptyUnasked();
    void serialDevice();

private:
    void answerData();
};

void TestUnitServer::answerData()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("read DTMF delay") << hex("3602") << hex("360207");
    QTest::newRow("write subnet mask") << hex("4E0101") + "255.0.0.0" << hex("4E010100");
    QTest::newRow("read unprogrammed record 5")
        << hex("33020005") << hex("33020005") + QByteArray(26, char(0xFF));
    QTest::newRow("factory frame") << Frames::buildFactoryFrame() << hex("350100");
    QTest::newRow("not understood write") << hex("7701") << hex("770101");
}

void TestUnitServer::udpAnswers_data()
{
    answerData();
}

void TestUnitServer::udpAnswers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, expected);

    RadioUnit unit;
    UdpUnitServer server(&unit);
    QVERIFY2(server.bind(unitAddress, 0), qPrintable(server.errorString()));
    QUdpSocket tool;
    QVERIFY(tool.bind(toolAddress, 0));
    server.setReplyPort(tool.localPort());
    QSignalSpy exchanged(&server, SIGNAL(exchanged(QString, QByteArray, QByteArray)));
    QVERIFY(exchanged.isValid());

    QCOMPARE(tool.writeDatagram(request, unitAddress, server.localPort()), qint64(request.size()));
    QList<QNetworkDatagram> got;
    QTRY_COMPARE_WITH_TIMEOUT(drain(tool, got), 1, 5000);
    QCOMPARE(got.first().data().toHex(' '), expected.toHex(' '));
    QCOMPARE(got.first().senderAddress(), unitAddress);
    QCOMPARE(got.first().senderPort(), int(server.localPort()));
    QCOMPARE(exchanged.count(), 1);
    QCOMPARE(exchanged.first().at(1).toByteArray(), request);
    QCOMPARE(exchanged.first().at(2).toByteArray(), expected);
    QCOMPARE(unit.requestCount(), 1);
}

void TestUnitServer::udpTiming_data()
{
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<int>("gap");
    QTest::addColumn<int>("datagrams");

    QTest::newRow("whole, at once") << 0 << 0 << 0 << 1;
    QTest::newRow("delayed 80 ms") << 80 << 0 << 0 << 1;
    QTest::newRow("pieces of 7 bytes, 6 ms apart") << 0 << 7 << 6 << 5;
    QTest::newRow("delayed and in pieces of 10") << 30 << 10 << 4 << 3;
}

// A 30-byte record answer, held back and cut into datagrams as asked.
void TestUnitServer::udpTiming()
{
    QFETCH(int, delay);
    QFETCH(int, pieceSize);
    QFETCH(int, gap);
    QFETCH(int, datagrams);

    RadioUnit unit;
    UdpUnitServer server(&unit);
    QVERIFY(server.bind(unitAddress, 0));
    server.setAnswerDelay(delay);
    server.setPieces(pieceSize, gap);
    QUdpSocket tool;
    QVERIFY(tool.bind(toolAddress, 0));
    server.setReplyPort(tool.localPort());

    const QByteArray request = hex("330201F4");
    QElapsedTimer clock;
    clock.start();
    tool.writeDatagram(request, unitAddress, server.localPort());
    QList<QNetworkDatagram> got;
    QTRY_COMPARE_WITH_TIMEOUT(drain(tool, got), datagrams, 5000);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(joined(got), request + QByteArray(26, char(0xFF)));
    QVERIFY2(elapsed >= delay + (datagrams - 1) * gap - 1, qPrintable(QString::number(elapsed)));
    QVERIFY(!server.answerPending());
}

// The silent unit sends nothing for the request it ignores: the next
// datagram is the unasked one.
void TestUnitServer::udpUnaskedAfterSilence()
{
    RadioUnit unit;
    unit.setStopAfter(1);
    UdpUnitServer server(&unit);
    QVERIFY(server.bind(unitAddress, 0));
    QVERIFY(!server.sendUnasked(hex("AA")));
    QUdpSocket tool;
    QVERIFY(tool.bind(toolAddress, 0));
    server.setReplyPort(tool.localPort());
    QSignalSpy exchanged(&server, SIGNAL(exchanged(QString, QByteArray, QByteArray)));
    QSignalSpy unasked(&server, SIGNAL(unaskedSent(QString, QByteArray)));
    QVERIFY(exchanged.isValid());
    QVERIFY(unasked.isValid());

    tool.writeDatagram(hex("3602"), unitAddress, server.localPort());
    QList<QNetworkDatagram> got;
    QTRY_COMPARE_WITH_TIMEOUT(drain(tool, got), 1, 5000);
    tool.writeDatagram(hex("3A02"), unitAddress, server.localPort());
    QTRY_COMPARE_WITH_TIMEOUT(exchanged.count(), 2, 5000);
    QVERIFY(exchanged.at(1).at(2).toByteArray().isEmpty());

    QVERIFY(server.sendUnasked(hex("36027F")));
    QCOMPARE(unasked.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(drain(tool, got), 2, 5000);
    QCOMPARE(got.at(0).data(), hex("360207"));
    QCOMPARE(got.at(1).data(), hex("36027F"));
}

void TestUnitServer::ptyAnswers_data()
{
    answerData();
}

void TestUnitServer::ptyAnswers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, expected);

    RadioUnit unit;
    SerialUnitServer server(&unit);
    QVERIFY2(server.openPseudoTerminal(), qPrintable(server.errorString()));
    QVERIFY(server.slavePath().startsWith(QLatin1String("/dev/")));
    QSerialPort tool(server.slavePath());
    tool.setBaudRate(QSerialPort::Baud115200);
    QVERIFY2(tool.open(QIODevice::ReadWrite), qPrintable(tool.errorString()));

    tool.write(request);
    QByteArray got;
    QTRY_COMPARE_WITH_TIMEOUT(gather(tool, got), expected.size(), 5000);
    QCOMPARE(got.toHex(' '), expected.toHex(' '));
    QCOMPARE(unit.requestCount(), 1);
    QCOMPARE(unit.log().first().request, request);
}

void TestUnitServer::ptyTiming_data()
{
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<int>("gap");

    QTest::newRow("delayed 60 ms") << 60 << 0 << 0;
    QTest::newRow("pieces of 3 bytes, 4 ms apart") << 0 << 3 << 4;
    QTest::newRow("pieces of 8 bytes, 9 ms apart") << 0 << 8 << 9;
    QTest::newRow("delayed, then pieces") << 40 << 15 << 5;
}

void TestUnitServer::ptyTiming()
{
    QFETCH(int, delay);
    QFETCH(int, pieceSize);
    QFETCH(int, gap);

    RadioUnit unit;
    SerialUnitServer server(&unit);
    QVERIFY(server.openPseudoTerminal());
    server.setAnswerDelay(delay);
    server.setPieces(pieceSize, gap);
    QSerialPort tool(server.slavePath());
    QVERIFY(tool.open(QIODevice::ReadWrite));

    const QByteArray expected = hex("33020001") + QByteArray(26, char(0xFF));
    // Includes the 10 ms of silence that ends the request: a lower bound only.
    QElapsedTimer clock;
    clock.start();
    tool.write(hex("33020001"));
    QByteArray got;
    QTRY_COMPARE_WITH_TIMEOUT(gather(tool, got), expected.size(), 5000);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(got, expected);
    const int gaps = pieceSize > 0 ? (expected.size() - 1) / pieceSize : 0;
    QVERIFY2(elapsed >= delay + gaps * gap - 2, qPrintable(QString::number(elapsed)));
}

void TestUnitServer::ptyRequestEndsAtSilence_data()
{
    QTest::addColumn<int>("pause");
    QTest::addColumn<QByteArrayList>("requests");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("one write") << -1 << QByteArrayList{hex("3A02")} << hex("3A0202");
    QTest::newRow("two writes without a pause")
        << 0 << QByteArrayList{hex("3A02")} << hex("3A0202");
    QTest::newRow("two writes 40 ms apart")
        << 40 << QByteArrayList{hex("3A"), hex("02")} << QByteArray();
}

void TestUnitServer::ptyRequestEndsAtSilence()
{
    QFETCH(int, pause);
    QFETCH(QByteArrayList, requests);
    QFETCH(QByteArray, answer);

    RadioUnit unit;
    SerialUnitServer server(&unit);
    QVERIFY(server.openPseudoTerminal());
    QSerialPort tool(server.slavePath());
    QVERIFY(tool.open(QIODevice::ReadWrite));
    QSignalSpy exchanged(&server, SIGNAL(exchanged(QString, QByteArray, QByteArray)));
    QVERIFY(exchanged.isValid());

    if (pause < 0) {
        tool.write(hex("3A02"));
    } else {
        tool.write(hex("3A"));
        tool.flush();
        QTimer::singleShot(pause, &tool, [&tool] { tool.write(hex("02")); });
    }
    QTRY_COMPARE_WITH_TIMEOUT(exchanged.count(), requests.size(), 5000);
    for (int i = 0; i < requests.size(); ++i)
        QCOMPARE(exchanged.at(i).at(1).toByteArray(), requests.at(i));
    if (!answer.isEmpty()) {
        QByteArray got;
        QTRY_COMPARE_WITH_TIMEOUT(gather(tool, got), answer.size(), 5000);
        QCOMPARE(got, answer);
    }
}

void TestUnitServer::ptyUnasked()
{
    RadioUnit unit;
    SerialUnitServer server(&unit);
    QVERIFY(server.openPseudoTerminal());
    QSerialPort tool(server.slavePath());
    QVERIFY(tool.open(QIODevice::ReadWrite));
    QVERIFY(server.sendUnasked(hex("3E0203")));
    QByteArray got;
    QTRY_COMPARE_WITH_TIMEOUT(gather(tool, got), 3, 5000);
    QCOMPARE(got, hex("3E0203"));
    QCOMPARE(unit.requestCount(), 0);
}

// A serial device by name: the slave of a pseudo-terminal this test holds.
void TestUnitServer::serialDevice()
{
    int master = -1;
    int slave = -1;
    char name[128] = {};
    struct termios raw = {};
    cfmakeraw(&raw);
    QCOMPARE(::openpty(&master, &slave, name, &raw, nullptr), 0);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    RadioUnit unit;
    SerialUnitServer server(&unit);
    QVERIFY2(server.openDevice(QString::fromLocal8Bit(name)), qPrintable(server.errorString()));
    QVERIFY(!server.openPseudoTerminal());

    const QByteArray request = hex("5002");
    QCOMPARE(::write(master, request.constData(), size_t(request.size())), ssize_t(request.size()));
    QByteArray got;
    auto readMaster = [&] {
        char buffer[64];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, int(n));
        return got.size();
    };
    QTRY_COMPARE_WITH_TIMEOUT(readMaster(), 4, 5000);
    QCOMPARE(got, hex("50020000"));
    ::close(master);
    ::close(slave);
}

QTEST_GUILESS_MAIN(TestUnitServer)
#include "tst_unitserver.moc"
