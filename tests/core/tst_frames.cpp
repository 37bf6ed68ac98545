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
    if (index >= 0 && index < 7)
        *texts[index] = value;
    else if (index == 7)
        g.features = value.toUShort(nullptr, 16);
    else if (index == 8 || index == 9)
        (index == 8 ? g.internalRadio : g.railroad) = value.toInt();
    else if (index >= 10 && index < 510) {
        const QStringList cells = value.split(QLatin1Char('|'));
        config.rows[index - 10] =
            HomeRow{cells.value(0), cells.value(1), cells.value(2), cells.value(3), cells.value(4)};
    }
    return config;
}

// Hex of a frame: the given bytes, then 00 up to length bytes.
QByteArray padded(const QByteArray &hex, int length)
{
    return hex + QByteArray(2 * length - hex.size(), '0');
}

} // namespace

class TestFrames : public QObject
{
    Q_OBJECT

private slots:
    void writeFrames_data();
    void writeFrames();
    void readRequests_data();
    void readRequests();
};

void TestFrames::writeFrames_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("expected");

    // clang-format off
    QTest::newRow("dtmf 7") << 0 << 1 << "7" << QByteArray("360107");
    QTest::newRow("dtmf keeps the low byte of 300") << 0 << 1 << "300" << QByteArray("36012c");
    QTest::newRow("dtmf -1") << 0 << 1 << "-1" << QByteArray("3601ff");
    QTest::newRow("dtmf not a number") << 0 << 1 << "abc" << QByteArray("360100");
    QTest::newRow("volume 20") << 1 << 1 << "20" << QByteArray("3a0114");
    QTest::newRow("serial number empty") << 2 << 1 << "" << padded("3701", 18);
    QTest::newRow("description of 16 bytes") << 3 << 1 << "0123456789ABCDEF" << "3c01" + QByteArray("0123456789ABCDEF").toHex();
    QTest::newRow("description cut to 16 bytes") << 3 << 1 << "0123456789ABCDEFGHIJ" << "3c01" + QByteArray("0123456789ABCDEF").toHex();
    QTest::newRow("description cut in UTF-8 bytes") << 3 << 1 << "ééééééééé" << "3c01" + QByteArray("c3a9").repeated(8);
    QTest::newRow("ip") << 4 << 1 << "10.10.9.13" << QByteArray("4e010031302e31302e392e3133");
    QTest::newRow("ip empty") << 4 << 1 << "" << QByteArray("4e0100");
    QTest::newRow("subnet mask") << 5 << 1 << "255.0.0.0" << "4e0101" + QByteArray("255.0.0.0").toHex();
    QTest::newRow("gateway") << 6 << 1 << "1.2.3.4" << "4e0102" + QByteArray("1.2.3.4").toHex();
    QTest::newRow("features none") << 7 << 1 << "0000" << QByteArray("50010000");
    QTest::newRow("features bit 15") << 7 << 1 << "8000" << QByteArray("50018000");
    QTest::newRow("features bit 0") << 7 << 1 << "0001" << QByteArray("50010001");
    QTest::newRow("internal radio 2") << 8 << 1 << "2" << QByteArray("390102");
    QTest::newRow("internal radio none") << 8 << 1 << "-1" << QByteArray("3901ff");
    QTest::newRow("railroad 9") << 9 << 1 << "9" << QByteArray("3e0109");
    QTest::newRow("record 1") << 10 << 1 << "901|901|01|01|YARD" << padded("33010001" "393031" "393031" "3031" "3031" "59415244", 30);
    QTest::newRow("record 2, TX too long") << 11 << 2 << "1234|901|01|01|YARD" << padded("33010002" "313233" "393031" "3031" "3031" "59415244" "34", 30);
    QTest::newRow("empty row") << 10 << 1 << "||||" << padded("33010001", 30);
    QTest::newRow("record 300, TX only") << 309 << 300 << "45||||" << padded("3301012c3435", 30);
    QTest::newRow("record 500, label cut") << 509 << 500 << "||||ABCDEFGHIJKLMNOPQRST" << padded("330101f4", 14) + QByteArray("ABCDEFGHIJKLMNOP").toHex();
    QTest::newRow("counter keeps its low 16 bits") << 10 << 65537 << "||||" << padded("33010001", 30);
    QTest::newRow("index 510 has no frame") << 510 << 1 << "" << QByteArray();
    QTest::newRow("index -1 has no frame") << -1 << 1 << "" << QByteArray();
    // clang-format on
}

void TestFrames::writeFrames()
{
    QFETCH(int, index);
    QFETCH(int, counter);
    QFETCH(QString, value);
    QFETCH(QByteArray, expected);

    qint32 recordCounter = counter;
    QCOMPARE(Frames::buildWriteFrame(index, configWith(index, value), recordCounter).toHex(),
             expected);
    QCOMPARE(recordCounter, counter + (index >= 10 && index < 510 ? 1 : 0));
}

void TestFrames::readRequests_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QByteArray>("expected");

    // clang-format off
    const char *general[] = {"3602", "3a02", "3702", "3c02", "4e0200", "4e0201", "4e0202", "5002", "3902", "3e02"};
    for (int index = 0; index < 10; ++index)
        QTest::addRow("index %d", index) << index << 1 << QByteArray(general[index]);
    QTest::newRow("first record") << 10 << 1 << QByteArray("33020001");
    QTest::newRow("last record") << 509 << 500 << QByteArray("330201f4");
    QTest::newRow("counter keeps its low 16 bits") << 10 << 65536 << QByteArray("33020000");
    // clang-format on
}

void TestFrames::readRequests()
{
    QFETCH(int, index);
    QFETCH(int, counter);
    QFETCH(QByteArray, expected);

    qint32 recordCounter = counter;
    QCOMPARE(Frames::buildReadRequest(index, recordCounter).toHex(), expected);
    QCOMPARE(recordCounter, counter + (index >= 10 ? 1 : 0));
}

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
