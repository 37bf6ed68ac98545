#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "link/dialogudp.h"
#include "link/frames.h"
#include "link/udpwalk.h"
#include "tabs/radiotab.h"
#include "tests/testsupport.h"
#include "unit/radiounit.h"
#include "unit/unitserver.h"

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

namespace {

const char exchanged[] = SIGNAL(exchanged(QString, QByteArray, QByteArray));

// Runs the event loop until done() or ms pass. Unlike qWait it never sleeps,
// which would stretch every 1 ms pacing tick; the guard bounds each wait.
bool spin(const std::function<bool()> &done, int ms)
{
    QTimer guard;
    guard.start(10);
    QElapsedTimer clock;
    for (clock.start(); !done() && !clock.hasExpired(ms);)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace

class TestDialogUdp : public QObject
{
    Q_OBJECT

    MainWindow *window = nullptr;
    DialogUDP *dialog = nullptr;
    RadioUnit unit;
    UdpUnitServer *server = nullptr;
    QElapsedTimer clock;
    QList<QByteArray> sent; // what the unit received since the button
    QList<qint64> at;       // when, in ms after the button
    int answered = 0;

    // Presses Read, Write or Factory Mode, waits for the tick that ends the
    // walk, then for every answer sent to be decoded and 200 ms of quiet.
    bool run(const QString &name)
    {
        sent.clear(), at.clear(), answered = 0, clock.start();
        (name == "read"    ? dialog->readButton
         : name == "write" ? dialog->writeButton
                           : dialog->factoryButton)
            ->click();
        const bool ended = spin([this] { return !dialog->walk->isRunning(); }, 20000);
        const qint64 end = clock.elapsed();
        const auto settled = [&] {
            return dialog->transactionCount >= answered &&
                   clock.elapsed() - qMax(end, at.value(at.size() - 1)) >= 200;
        };
        return ended && spin(settled, 3000);
    }

public slots:
    void received(const QString &, const QByteArray &request, const QByteArray &answer)
    {
        sent << request, at << clock.elapsed(), answered += answer.isEmpty() ? 0 : 1;
    }

private slots:
    void init()
    {
        window = new MainWindow;
        window->networkAct->trigger();
        dialog = window->udpDialog;
        QVERIFY(dialog && dialog->isVisible() && !window->networkAct->isEnabled() &&
                !window->serialAct->isEnabled());
        // Before anything can press a button: only the emulated unit on loopback.
        dialog->ipAddressEdit->setText("127.0.0.2");
        unit = RadioUnit();
        server = new UdpUnitServer(&unit, window);
        QVERIFY2(server->bind(), qPrintable(server->errorString()));
        QVERIFY(connect(server, exchanged, this, SLOT(received(QString, QByteArray, QByteArray))));
    }

    void cleanup() { delete window; }

    void transaction_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("knob");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("status");
        // clang-format off
        QTest::newRow("read") << "read" << "" << 0 << 510 << "Complete!";
        QTest::newRow("write") << "write" << "" << 0 << 510 << "Complete!";
        QTest::newRow("write, home bypass") << "write" << "bypass" << 0 << 10 << "Complete!";
        QTest::newRow("factory mode") << "factory" << "" << 0 << 1 << "Complete!";
        QTest::newRow("silent unit") << "read" << "stop" << 0 << 7 << "Timeout!";
        QTest::newRow("write answer 300 lost") << "write" << "silent" << 300 << 511 << "Complete!";
        QTest::newRow("DTMF delay refused") << "write" << "code" << 0x36 << 510 << "Parameter error detected";
        QTest::newRow("address refused") << "write" << "code" << 0x4E << 510 << "IP parameter error detected";
        QTest::newRow("record 250 refused") << "write" << "record" << 250 << 510 << "Channel parameter error detected";
        // clang-format on
    }

    void transaction()
    {
        QFETCH(QString, name);
        QFETCH(QString, knob);
        QFETCH(int, value);
        QFETCH(int, count);
        QFETCH(QString, status);
        name == "read" ? unit.loadConfig(sampleConfig())
                       : ConfigSnapshot::applyConfig(window, sampleConfig());
        dialog->homeBypassCheckBox->setChecked(knob == "bypass");
        unit.setStopAfter(knob == "stop" ? value : -1);
        unit.setSilentTo(knob == "silent" ? value : 0);
        unit.setErrorForCode(char(value), knob == "code");
        unit.setErrorForRecord(value, knob == "record");

        QVERIFY(run(name));
        QCOMPARE(sent.size(), count);
        QCOMPARE(dialog->statusLabel->text(), status);
        QCOMPARE(dialog->parameterError, int(knob == "code" || knob == "record"));
        // 400 ms from the button to the first sending and from an unanswered
        // one to its repeat, taken as 350 to 800 ms on a busy machine. A
        // sending repeats its predecessor exactly when that went unanswered;
        // without the repeats it is the plain walk.
        QVERIFY2(qAbs(at.first() - 575) <= 225, qPrintable(QString::number(at.first())));
        for (int i = 1; i < count; ++i) {
            const bool unanswered = knob == (i == value ? "silent" : i > value ? "stop" : "-");
            QCOMPARE(sent[i] == sent[i - 1], unanswered);
            const qint64 gap = at[i] - at[i - 1];
            QVERIFY2(!unanswered || qAbs(gap - 575) <= 225, qPrintable(QString::number(gap)));
        }
        QList<QByteArray> walked = sent;
        walked.erase(std::unique(walked.begin(), walked.end()), walked.end());
        QCOMPARE(walked, walkOf(name, walked.size(), ConfigSnapshot::takeConfig(window)));
        if (status == "Complete!" && name != "factory") {
            // The bar stops at its maximum: the last answer is one more than it takes.
            QCOMPARE(dialog->progressBar->maximum(), knob == "bypass" ? 9 : 509);
            QCOMPARE(dialog->progressBar->value(), dialog->progressBar->maximum());
        }
        if (name == "read" && count == Frames::CommandCount) {
            QCOMPARE(sent.last().toHex(' '), QByteArray("33 02 01 f4"));
            QCOMPARE(dialog->trafficLabel->text(), QString("Traffic, transaction #510:"));
        }
        if (name != "factory" && (knob.isEmpty() || knob == "bypass" || knob == "silent")) {
            const RadioConfig tabs = ConfigSnapshot::takeConfig(window), inUnit = unit.toConfig();
            QCOMPARE(tabs.general, inUnit.general);
            QCOMPARE(tabs.rows == inUnit.rows, knob != "bypass");
        }
        if (status != "Timeout!")
            return;
        // A late answer, or any datagram while idle, is decoded and starts nothing.
        QSignalSpy requests(server, exchanged);
        QVERIFY(requests.isValid() && server->sendUnasked(QByteArray::fromHex("36022A")));
        QTRY_COMPARE(window->radioTab->dtmfDelayEdit->text(), QString("42"));
        QCOMPARE(dialog->transactionCount, answered + 1);
        QVERIFY(!dialog->walk->isRunning());
        QVERIFY(!requests.wait(1000));
    }

    void readAgainStartsOver()
    {
        dialog->readButton->click();
        QVERIFY(spin([this] { return sent.size() >= 30; }, 5000));
        QVERIFY(run("read"));
        QCOMPARE(dialog->statusLabel->text(), QString("Complete!"));
        QCOMPARE(sent, walkOf("read", Frames::CommandCount, RadioConfig()));
    }

    void addressField_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("status");
        // clang-format off
        QTest::newRow("IPv6") << "::1" << "Invalid IP address";
        QTest::newRow("any address") << "0.0.0.0" << "Invalid IP address";
        QTest::newRow("multicast") << "239.1.2.3" << "Invalid IP address";
        QTest::newRow("two numbers") << "127.2" << "Invalid IP address";
        QTest::newRow("one number") << "2130706434" << "Invalid IP address";
        QTest::newRow("hexadecimal") << "0x7f000002" << "Invalid IP address";
        QTest::newRow("leading zero") << "127.0.0.02" << "Invalid IP address";
        QTest::newRow("a silent address of this machine") << "127.0.0.3" << "Timeout!";
        // clang-format on
    }

    // Every address is typed while a Read of the unit runs; the press ends
    // that Read. Refused forms would all reach the unit at 127.0.0.2, and a
    // silent local address gets back only the tool's own requests.
    void addressField()
    {
        QFETCH(QString, address);
        QFETCH(QString, status);
        const bool usable = status != "Invalid IP address";
        const RadioConfig before = ConfigSnapshot::takeConfig(window);
        unit.setStopAfter(1); // its one answer sets what the tabs hold already
        dialog->readButton->click();
        QVERIFY(spin([this] { return dialog->transactionCount == 1; }, 5000));
        dialog->ipAddressEdit->setText(address);
        QCOMPARE(dialog->ipAddressEdit->palette().color(QPalette::Text),
                 QColor(usable ? Qt::black : Qt::red));
        QSignalSpy requests(server, exchanged);
        QVERIFY(requests.isValid());
        for (QPushButton *button : {dialog->writeButton, dialog->factoryButton, dialog->readButton})
            button->click();
        QVERIFY(spin([this] { return !dialog->walk->isRunning(); }, 5000));
        QCOMPARE(dialog->statusLabel->text(), status);
        QVERIFY(!requests.wait(1000));
        QCOMPARE(ConfigSnapshot::takeConfig(window), before);
    }

    // A program that holds port 2055 alone would get the unit's answers.
    void portInUse()
    {
        delete server;
        dialog->close();
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, UdpWalk::UnitPort, QUdpSocket::DontShareAddress));
        window->networkAct->trigger();
        QCOMPARE(window->udpDialog->statusLabel->text(),
                 QString("UDP port 2055 is in use by another program"));
    }

    // Another socket floods port 2055 with random datagrams during a Read:
    // each counts as an answer, so the walk races to its end; the GUI keeps
    // serving events and memory stays bounded.
    void flood()
    {
        QFile statm("/proc/self/statm");
        const auto residentKiB = [&] {
            return statm.seek(0), statm.readAll().split(' ')[1].toLong() * 4;
        };
        QVERIFY(statm.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        [[maybe_unused]] const long before = residentKiB(); // unread under ASan
        QScopedPointer<QThread> flooder(QThread::create([] {
            QUdpSocket socket;
            QRandomGenerator random(2055);
            for (int i = 0; i < 10000; ++i) {
                QByteArray junk(int(random.bounded(1, 2048)), Qt::Uninitialized);
                random.fillRange(reinterpret_cast<quint32 *>(junk.data()), junk.size() / 4);
                socket.writeDatagram(junk, QHostAddress::LocalHost, UdpWalk::UnitPort);
            }
        }));
        qint64 longest = 0;
        QElapsedTimer turn;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { longest = qMax(longest, turn.restart()); });
        dialog->readButton->click();
        turn.start(), ticker.start(5), flooder->start();
        QVERIFY(spin([&] { return !dialog->walk->isRunning() && flooder->isFinished(); }, 30000));
        // Every datagram counts as an answer and brings the next request forward.
        QCOMPARE(dialog->statusLabel->text(), QString("Complete!"));
        QTRY_VERIFY(!dialog->udpSocket->hasPendingDatagrams());
        QVERIFY2(longest < 500, qPrintable(QString::number(longest)));
#ifndef __SANITIZE_ADDRESS__ // its quarantine holds on to what was freed
        QVERIFY2(residentKiB() - before < 8 * 1024, qPrintable(QString::number(before)));
#endif
    }

    void closeStopsTimer()
    {
        unit.setStopAfter(3);
        dialog->readButton->click();
        // The fourth request stays unanswered: the next sending would be a resend.
        QVERIFY(spin([this] { return sent.size() >= 4; }, 5000));
        QSignalSpy requests(server, exchanged);
        QVERIFY(requests.isValid());
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QVERIFY(window->networkAct->isEnabled() && window->serialAct->isEnabled());
        QVERIFY(!requests.wait(1000));
    }
};

QTEST_MAIN(TestDialogUdp)
#include "tst_dialogudp.moc"
