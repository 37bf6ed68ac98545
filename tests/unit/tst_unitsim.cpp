#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The emulated unit is a test tool, tested through the links' tests. Here
// only what they cannot reach: the options radio-unit-sim refuses.
class TestUnitSim : public QObject
{
    Q_OBJECT

private slots:
    void refusedOptions_data();
    void refusedOptions();
};

void TestUnitSim::refusedOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");

    // clang-format off
    QTest::newRow("address not loopback") << QStringList{"--udp-address", "192.0.2.1"} << "not a loopback address";
    QTest::newRow("port out of range") << QStringList{"--udp-port", "70000"} << "ports are 1 to 65535";
    QTest::newRow("max seconds 0") << QStringList{"--max-seconds", "0"} << "--max-seconds wants a count";
    QTest::newRow("ignore write of two bytes") << QStringList{"--ignore-write", "3C3D"} << "--ignore-write wants one byte in hex, not 3C3D";
    QTest::newRow("unasked xyz") << QStringList{"--unasked", "xyz"} << "--unasked wants hex bytes";
    QTest::newRow("unasked interval 0") << QStringList{"--unasked", "36", "--unasked-interval", "0"} << "--unasked-interval wants";
    QTest::newRow("link over a file") << QStringList{"--pty-link", "FILE"} << "is not a symbolic link";
    // clang-format on
}

// Every refusal comes before anything is bound or linked: the link is not
// made and a file in its way survives.
void TestUnitSim::refusedOptions()
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
    QVERIFY(sim.waitForFinished(10000) && sim.exitCode() == 1);
    QVERIFY2(sim.readAllStandardError().contains(message.toUtf8()), qPrintable(message));
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(notes.open(QIODevice::ReadOnly) && notes.readAll() == "keep me");
}

QTEST_GUILESS_MAIN(TestUnitSim)
#include "tst_unitsim.moc"
