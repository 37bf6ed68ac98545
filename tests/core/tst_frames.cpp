#include "link/frames.h"

#include <QTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

GeneralSettings defaults()
{
    GeneralSettings g;
    g.dtmfDelay = "7";
    g.minVolume = "2";
    g.serialNumber = "Serial Number";
    g.userDescription = "Startup Message";
    g.ip = "10.10.9.13";
    g.subnetMask = "255.255.255.0";
    g.gateway = "10.10.9.254";
    return g;
}

} // namespace

class FramesTest : public QObject
{
    Q_OBJECT

private slots:
    void generalWriteFrames_data();
    void generalWriteFrames();
    void homeRecords_data();
    void homeRecords();
    void readRequests();
    void readRequestsOfOneWalk();
    void writeWalkCountsRecords();
    void factoryFrame();
};

void FramesTest::generalWriteFrames_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("dtmf 7") << 0 << "dtmf"
                            << "7" << hex("360107");
    QTest::newRow("dtmf 300") << 0 << "dtmf"
                              << "300" << hex("36012c");
    QTest::newRow("dtmf -1") << 0 << "dtmf"
                             << "-1" << hex("3601ff");
    QTest::newRow("dtmf abc") << 0 << "dtmf"
                              << "abc" << hex("360100");
    QTest::newRow("dtmf empty") << 0 << "dtmf"
                                << "" << hex("360100");
    QTest::newRow("volume 20") << 1 << "volume"
                               << "20" << hex("3a0114");
    QTest::newRow("volume -128") << 1 << "volume"
                                 << "-128" << hex("3a0180");
    QTest::newRow("serial ABC") << 2 << "serial"
                                << "ABC" << hex("370141424300000000000000000000000000");
    QTest::newRow("description empty") << 3 << "description"
                                       << "" << hex("3c0100000000000000000000000000000000");
    QTest::newRow("description 16")
        << 3 << "description"
        << "0123456789ABCDEF" << hex("3c0130313233343536373839414243444546");
    QTest::newRow("description 20 cut")
        << 3 << "description"
        << "0123456789ABCDEFGHIJ" << hex("3c0130313233343536373839414243444546");
    QTest::newRow("description utf8 cut inside")
        << 3 << "description" << QString("ABCDEFGHIJKLMNO") + QChar(0xE9)
        << hex("3c01") + "ABCDEFGHIJKLMNO\xc3";
    QTest::newRow("ip default") << 4 << "ip"
                                << "10.10.9.13" << hex("4e0100") + "10.10.9.13";
    QTest::newRow("ip empty") << 4 << "ip"
                              << "" << hex("4e0100");
    QTest::newRow("mask") << 5 << "mask"
                          << "255.255.255.0" << hex("4e0101") + "255.255.255.0";
    QTest::newRow("gateway with blank") << 6 << "gateway"
                                        << " 1.2.3.4" << hex("4e0102") + " 1.2.3.4";
    QTest::newRow("features clear") << 7 << "features"
                                    << "0" << hex("50010000");
    QTest::newRow("features bit15") << 7 << "features"
                                    << "32768" << hex("50018000");
    QTest::newRow("features dual head") << 7 << "features"
                                        << "1" << hex("50010001");
    QTest::newRow("features mixed") << 7 << "features"
                                    << "41411" << hex("5001a1c3");
    QTest::newRow("radio 2") << 8 << "radio"
                             << "2" << hex("390102");
    QTest::newRow("radio none") << 8 << "radio"
                                << "-1" << hex("3901ff");
    QTest::newRow("railroad 9") << 9 << "railroad"
                                << "9" << hex("3e0109");
    QTest::newRow("railroad 300") << 9 << "railroad"
                                  << "300" << hex("3e012c");
}

void FramesTest::generalWriteFrames()
{
    QFETCH(int, index);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QByteArray, frame);

    GeneralSettings g = defaults();
    if (field == "dtmf")
        g.dtmfDelay = value;
    else if (field == "volume")
        g.minVolume = value;
    else if (field == "serial")
        g.serialNumber = value;
    else if (field == "description")
        g.userDescription = value;
    else if (field == "ip")
        g.ip = value;
    else if (field == "mask")
        g.subnetMask = value;
    else if (field == "gateway")
        g.gateway = value;
    else if (field == "features")
        g.features = quint16(value.toUInt());
    else if (field == "radio")
        g.internalRadio = value.toInt();
    else if (field == "railroad")
        g.railroad = value.toInt();

    QCOMPARE(Frames::buildGeneralWriteFrame(index, g).toHex(' '), frame.toHex(' '));

    // Through the whole-configuration builder too, which must not touch the counter.
    RadioConfig config;
    config.general = g;
    qint32 counter = 42;
    QCOMPARE(Frames::buildWriteFrame(index, config, counter), frame);
    QCOMPARE(counter, 42);
}

void FramesTest::homeRecords_data()
{
    QTest::addColumn<int>("record");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("yard") << 1 << QStringList{"901", "901", "01", "01", "YARD"}
                          << hex("330100013930313930313031303159415244") + QByteArray(12, '\0');
    QTest::newRow("tx overflow") << 2 << QStringList{"1234", "901", "01", "01", "YARD"}
                                 << hex("33010002313233393031303130315941524434") +
                                        QByteArray(11, '\0');
    QTest::newRow("record 300 tx only")
        << 300 << QStringList{"45", "", "", "", ""} << hex("3301012c3435") + QByteArray(24, '\0');
    QTest::newRow("empty row") << 500 << QStringList{"", "", "", "", ""}
                               << hex("330101f4") + QByteArray(26, '\0');
    QTest::newRow("label 16 fills record")
        << 3 << QStringList{"50", "50", "", "", "ABCDEFGHIJKLMNOP"}
        << hex("33010003353000353000000000004142434445464748494a4b4c4d4e4f50");
    QTest::newRow("label 17 cut")
        << 3 << QStringList{"50", "50", "", "", "ABCDEFGHIJKLMNOPQ"}
        << hex("33010003353000353000000000004142434445464748494a4b4c4d4e4f50");
    // RX's extra "23" is pushed behind the RAN texts and the label.
    QTest::newRow("long rx pushes ran and label")
        << 4 << QStringList{"901", "90123", "01", "02", "AB"}
        << hex("33010004") +
               "901"
               "901"
               "01"
               "02"
               "AB"
               "23" +
               QByteArray(12, '\0');
    QTest::newRow("everything long, rest lost")
        << 5 << QStringList{"1111111111", "2222222222", "33", "44", "5555555555"}
        << hex("33010005") + "111"
                             "222"
                             "33"
                             "44"
                             "5555555555"
                             "222222";
}

void FramesTest::homeRecords()
{
    QFETCH(int, record);
    QFETCH(QStringList, cells);
    QFETCH(QByteArray, frame);

    QCOMPARE(frame.size(), 30);

    const HomeRow row{cells.at(0), cells.at(1), cells.at(2), cells.at(3), cells.at(4)};
    QCOMPARE(Frames::buildHomeRecord(quint16(record), row).toHex(' '), frame.toHex(' '));

    RadioConfig config;
    config.rows[record - 1] = row;
    qint32 counter = record;
    QCOMPARE(Frames::buildWriteFrame(10 + record - 1, config, counter).toHex(' '),
             frame.toHex(' '));
    QCOMPARE(counter, record + 1);
}

void FramesTest::readRequests()
{
    const struct
    {
        int index;
        const char *frame;
    } cases[] = {{0, "3602"},   {1, "3a02"},   {2, "3702"}, {3, "3c02"}, {4, "4e0200"},
                 {5, "4e0201"}, {6, "4e0202"}, {7, "5002"}, {8, "3902"}, {9, "3e02"}};
    for (const auto &c : cases) {
        qint32 counter = 7;
        QCOMPARE(Frames::buildReadRequest(c.index, counter), hex(c.frame));
        QCOMPARE(counter, 7);
    }
    qint32 counter = 1;
    QCOMPARE(Frames::buildReadRequest(10, counter), hex("33020001"));
    QCOMPARE(counter, 2);
    counter = 500;
    QCOMPARE(Frames::buildReadRequest(509, counter), hex("330201f4"));
    QCOMPARE(counter, 501);
    // Only the counter's low 16 bits travel.
    counter = 0x10001;
    QCOMPARE(Frames::buildReadRequest(10, counter), hex("33020001"));
}

void FramesTest::readRequestsOfOneWalk()
{
    qint32 counter = 1;
    QList<QByteArray> walk;
    for (int index = 0; index < Frames::CommandCount; ++index)
        walk << Frames::buildReadRequest(index, counter);
    QCOMPARE(walk.size(), 510);
    QCOMPARE(counter, 501);
    for (int index = 10; index < 510; ++index) {
        const QByteArray &frame = walk.at(index);
        QCOMPARE(frame.size(), 4);
        QCOMPARE(frame.at(0), char(0x33));
        QCOMPARE(frame.at(1), char(0x02));
        QCOMPARE(quint8(frame.at(2)) * 256 + quint8(frame.at(3)), index - 9);
    }
    QCOMPARE(walk.last(), hex("330201f4"));
}

void FramesTest::writeWalkCountsRecords()
{
    RadioConfig config;
    config.general = defaults();
    for (int row = 0; row < 500; ++row)
        config.rows[row].tx = QString::number(row);
    qint32 counter = 1;
    for (int index = 0; index < Frames::CommandCount; ++index) {
        const QByteArray frame = Frames::buildWriteFrame(index, config, counter);
        QCOMPARE(frame.at(0), Frames::parameterCode(index));
        QCOMPARE(frame.at(1), char(0x01));
        if (index >= 10) {
            QCOMPARE(frame.size(), 30);
            QCOMPARE(quint8(frame.at(2)) * 256 + quint8(frame.at(3)), index - 9);
            QCOMPARE(frame.mid(4, 3).replace('\0', ""), QString::number(index - 10).toUtf8());
        }
    }
    QCOMPARE(counter, 501);
}

void FramesTest::factoryFrame()
{
    QCOMPARE(Frames::buildFactoryFrame(), hex("350105"));
}

QTEST_APPLESS_MAIN(FramesTest)
#include "tst_frames.moc"
