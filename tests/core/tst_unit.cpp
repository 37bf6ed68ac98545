#include "unit/radiounit.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The emulated unit is a test tool; the links' tests use it whole. Here only
// what they cannot reach: where each kind of write answer carries its
// status, the error knobs, and the options radio-unit-sim refuses.
class TestUnit : public QObject
{
    Q_OBJECT

private slots:
    void writeAnswers_data();
    void writeAnswers();
    void refusedOptions_data();
    void refusedOptions();
};

void TestUnit::writeAnswers_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("errorCode");
    QTest::addColumn<int>("errorRecord");
    QTest::addColumn<QByteArray>("answer");

    const QByteArray record5 = QByteArray("33010005") + QByteArray(52, '0');
    // clang-format off
    QTest::newRow("value accepted") << QByteArray("360107") << 0 << 0 << QByteArray("360100");
    QTest::newRow("value refused") << QByteArray("360107") << 0x36 << 0 << QByteArray("360101");
    QTest::newRow("value frame too short") << QByteArray("3601") << 0 << 0 << QByteArray("360101");
    QTest::newRow("address accepted") << "4e0101" + QByteArray("1.2.3.4").toHex() << 0 << 0 << QByteArray("4e010100");
    QTest::newRow("address refused") << "4e0101" + QByteArray("1.2.3.4").toHex() << 0x4e << 0 << QByteArray("4e010101");
    QTest::newRow("record accepted") << record5 << 0 << 0 << QByteArray("3301000500");
    QTest::newRow("record refused") << record5 << 0 << 5 << QByteArray("3301000501");
    QTest::newRow("record 501") << QByteArray("330101f5") + QByteArray(52, '0') << 0 << 0 << QByteArray("330101f501");
    QTest::newRow("factory") << QByteArray("350105") << 0 << 0 << QByteArray("350100");
    QTest::newRow("unknown code") << QByteArray("770107") << 0 << 0 << QByteArray("770101");
    // clang-format on
}

void TestUnit::writeAnswers()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, errorCode);
    QFETCH(int, errorRecord);
    QFETCH(QByteArray, answer);

    RadioUnit unit;
    if (errorCode)
        unit.setErrorForCode(char(errorCode));
    if (errorRecord)
        unit.setErrorForRecord(errorRecord);
    const RadioConfig before = unit.toConfig();
    QCOMPARE(unit.answer(QByteArray::fromHex(frame)).toHex(), answer);
    // A refused frame changes nothing.
    if (answer.endsWith("01"))
        QVERIFY(unit.toConfig() == before);
}

void TestUnit::refusedOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");

    // clang-format off
    QTest::newRow("address not loopback") << QStringList{"--udp-address", "192.0.2.1"} << "not a loopback address";
    QTest::newRow("port out of range") << QStringList{"--udp-port", "70000"} << "ports are 1 to 65535";
    QTest::newRow("stop after nothing") << QStringList{"--stop-after", "x"} << "--stop-after wants a count";
    QTest::newRow("max seconds 0") << QStringList{"--max-seconds", "0"} << "--max-seconds wants a count";
    QTest::newRow("unasked xyz") << QStringList{"--unasked", "xyz"} << "--unasked wants hex bytes";
    QTest::newRow("unasked interval 0") << QStringList{"--unasked", "36", "--unasked-interval", "0"} << "--unasked-interval wants";
    QTest::newRow("error code of two bytes") << QStringList{"--error-code", "3637"} << "--error-code wants one byte";
    QTest::newRow("error record 501") << QStringList{"--error-record", "501"} << "--error-record wants 1 to 500";
    QTest::newRow("link over a file") << QStringList{"--pty-link", "FILE"} << "is not a symbolic link";
    // clang-format on
}

// Every refusal comes before anything is bound or linked: the link is not
// made and a file in its way survives.
void TestUnit::refusedOptions()
{
    QFETCH(QStringList, options);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("unit-pty"));
    const QString file = dir.filePath(QStringLiteral("notes.txt"));
    QFile notes(file);
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("keep me") == 7);
    notes.close();
    options.replaceInStrings(QStringLiteral("FILE"), file);
    QProcess sim;
    sim.start(QStringLiteral(RADIO_UNIT_SIM),
              QStringList{"--udp-port", "0", "--pty-link", link, "--max-seconds", "5"} + options);
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 1);
    QVERIFY2(sim.readAllStandardError().contains(message.toUtf8()), qPrintable(message));
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(notes.open(QIODevice::ReadOnly) && notes.readAll() == "keep me");
}

QTEST_GUILESS_MAIN(TestUnit)
#include "tst_unit.moc"
