#include "link/frames.h"

#include <QtTest>

namespace {

// A configuration whose only value is the one the frame of index carries;
// a home row is given as "TX|RX|RAN TX|RAN RX|LABEL".
RadioConfig configWith(int index, const QString &value)
{
    RadioConfig config;
    GeneralSettings &g = config.general;
    QString *texts[] = {&g.dtmfDelay, &g.minVolume,  &g.serialNumber, &g.userDescription,
                        &g.ip,        &g.subnetMask, &g.gateway};
    const QStringList cells = value.split(QLatin1Char('|'));
    if (index < 7)
        *texts[index] = value;
    else if (index == 7)
        g.features = value.toUShort(nullptr, 16);
    else if (index < 10)
        (index == 8 ? g.internalRadio : g.railroad) = value.toInt();
    else if (index < 510)
        config.rows[index - 10] = {cells.value(0), cells.value(1), cells.value(2), cells.value(3),
                                   cells.value(4)};
    return config;
}

} // namespace

class TestFrames : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
};

void TestFrames::frames_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("expected");

    // clang-format off
    QTest::newRow("read dtmf") << "read" << 0 << 1 << "" << QByteArray("3602");
    QTest::newRow("read gateway") << "read" << 6 << 1 << "" << QByteArray("4e0202");
    QTest::newRow("read record 1") << "read" << 10 << 1 << "" << QByteArray("33020001");
    QTest::newRow("read record 500") << "read" << 509 << 500 << "" << QByteArray("330201f4");
    QTest::newRow("factory") << "factory" << -1 << 1 << "" << QByteArray("350105");
    QTest::newRow("dtmf keeps the low byte of 300") << "write" << 0 << 1 << "300" << QByteArray("36012c");
    QTest::newRow("dtmf -1 with U+2212 between Unicode blanks") << "write" << 0 << 1 << "\u2003\u22121\u00a0" << QByteArray("3601ff");
    QTest::newRow("dtmf not a number") << "write" << 0 << 1 << "abc" << QByteArray("360100");
    QTest::newRow("serial number empty") << "write" << 2 << 1 << "" << QByteArray("3701").leftJustified(36, '0');
    QTest::newRow("description cut to 16 bytes") << "write" << 3 << 1 << "0123456789ABCDEFGHIJ" << "3c01" + QByteArray("0123456789ABCDEF").toHex();
    QTest::newRow("description cut in UTF-8 bytes") << "write" << 3 << 1 << "ééééééééé" << "3c01" + QByteArray("c3a9").repeated(8);
    QTest::newRow("ip") << "write" << 4 << 1 << "10.10.9.13" << QByteArray("4e010031302e31302e392e3133");
    QTest::newRow("ip empty") << "write" << 4 << 1 << "" << QByteArray("4e0100");
    QTest::newRow("features bit 0") << "write" << 7 << 1 << "0001" << QByteArray("50010001");
    QTest::newRow("internal radio none") << "write" << 8 << 1 << "-1" << QByteArray("3901ff");
    QTest::newRow("record 1") << "write" << 10 << 1 << "901|901|01|01|YARD" << QByteArray("33010001" "393031" "393031" "3031" "3031" "59415244").leftJustified(60, '0');
    QTest::newRow("record 2, TX too long") << "write" << 11 << 2 << "1234|901|01|01|YARD" << QByteArray("33010002" "313233" "393031" "3031" "3031" "59415244" "34").leftJustified(60, '0');
    QTest::newRow("empty row") << "write" << 10 << 1 << "||||" << QByteArray("33010001").leftJustified(60, '0');
    QTest::newRow("record 300, TX only") << "write" << 309 << 300 << "45||||" << QByteArray("3301012c3435").leftJustified(60, '0');
    QTest::newRow("record 500, label cut") << "write" << 509 << 500 << "||||ABCDEFGHIJKLMNOPQRST" << QByteArray("330101f4").leftJustified(28, '0') + QByteArray("ABCDEFGHIJKLMNOP").toHex();
    QTest::newRow("index 510 has no frame") << "write" << 510 << 1 << "" << QByteArray();
    // clang-format on
}

void TestFrames::frames()
{
    QFETCH(QString, kind);
    QFETCH(int, index);
    QFETCH(int, counter);
    QFETCH(QString, value);
    QFETCH(QByteArray, expected);

    qint32 recordCounter = counter;
    const QByteArray frame =
        kind == "read"    ? Frames::buildReadRequest(index, recordCounter)
        : kind == "write" ? Frames::buildWriteFrame(index, configWith(index, value), recordCounter)
                          : Frames::buildFactoryFrame();
    QCOMPARE(frame.toHex(), expected);
    QCOMPARE(recordCounter, counter + (index >= 10 && index < 510 ? 1 : 0));
}

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
