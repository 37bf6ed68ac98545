#include "link/answers.h"
#include "link/frames.h"
#include "unit/radiounit.h"

#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray text16(const char *text)
{
    return Frames::fixedText(QString::fromUtf8(text));
}

QByteArray recordBody(const HomeRow &row)
{
    return Frames::buildHomeRecord(1, row).mid(4);
}

// Something different from the factory contents in every parameter and row.
RadioConfig busyConfig()
{
    RadioConfig config;
    GeneralSettings &g = config.general;
    g.dtmfDelay = QStringLiteral("-5");
    g.minVolume = QStringLiteral("12");
    g.serialNumber = QStringLiteral("SN-4711");
    g.userDescription = QStringLiteral("Yard east");
    g.ip = QStringLiteral("192.168.4.20");
    g.subnetMask = QStringLiteral("255.255.0.0");
    g.gateway = QStringLiteral("192.168.4.1");
    g.features = 0xA55A;
    g.internalRadio = 2;
    g.railroad = 6;
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row) {
        config.rows[row] =
            HomeRow{QString::number(100 + row % 900), QString::number(101 + row % 898),
                    QString::number(10 + row % 90), QString::number(11 + row % 89),
                    QStringLiteral("Row %1").arg(row + 1)};
    }
    return config;
}

} // namespace

Q_DECLARE_METATYPE(Answer::Kind)

class TestRadioUnit : public QObject
{
    Q_OBJECT

private slots:
    void readAnswers_data();
    void readAnswers();
    void writeAnswers_data();
    void writeAnswers();
    void writeThenReadEveryIndex_data();
    void writeThenReadEveryIndex();
    void configThroughUnit_data();
    void configThroughUnit();
    void unprogrammedRecords();
    void errorKnobs_data();
    void errorKnobs();
    void stopAfter_data();
    void stopAfter();
    void factoryFrame();
    void truncatedFramesNeverCrash_data();
    void truncatedFramesNeverCrash();
};

void TestRadioUnit::readAnswers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<Answer::Kind>("kind");

    const QByteArray row7 =
        recordBody(HomeRow{"106", "107", "16", "17", "Row 7"}); // busyConfig row 6
    QTest::newRow("DTMF delay") << hex("3602") << hex("3602FB") << Answer::DtmfDelay;
    QTest::newRow("minimum volume") << hex("3A02") << hex("3A020C") << Answer::MinVolume;
    QTest::newRow("serial number")
        << hex("3702") << hex("3702") + text16("SN-4711") << Answer::SerialNumber;
    QTest::newRow("user description")
        << hex("3C02") << hex("3C02") + text16("Yard east") << Answer::UserDescription;
    QTest::newRow("IP") << hex("4E0200") << hex("4E0200") + "192.168.4.20" << Answer::Ip;
    QTest::newRow("subnet mask") << hex("4E0201") << hex("4E0201") + "255.255.0.0"
                                 << Answer::SubnetMask;
    QTest::newRow("gateway") << hex("4E0202") << hex("4E0202") + "192.168.4.1" << Answer::Gateway;
    QTest::newRow("features") << hex("5002") << hex("5002A55A") << Answer::Features;
    QTest::newRow("internal radio") << hex("3902") << hex("390202") << Answer::InternalRadio;
    QTest::newRow("railroad") << hex("3E02") << hex("3E0206") << Answer::Railroad;
    QTest::newRow("record 7") << hex("33020007") << hex("33020007") + row7 << Answer::HomeChannel;

    // Not understood: the bare header, which no value answer matches.
    QTest::newRow("DTMF with a body") << hex("360200") << hex("3602") << Answer::NoEffect;
    QTest::newRow("address sub-code 3") << hex("4E0203") << hex("4E02") << Answer::NoEffect;
    QTest::newRow("address without sub-code") << hex("4E02") << hex("4E02") << Answer::NoEffect;
    QTest::newRow("address with extra byte") << hex("4E020000") << hex("4E02") << Answer::NoEffect;
    QTest::newRow("record 0") << hex("33020000") << hex("3302") << Answer::NoEffect;
    QTest::newRow("record 501") << hex("330201F5") << hex("3302") << Answer::NoEffect;
    QTest::newRow("record number cut short") << hex("330200") << hex("3302") << Answer::NoEffect;
    QTest::newRow("unknown code") << hex("5102") << hex("5102") << Answer::NoEffect;
    QTest::newRow("factory code read") << hex("3502") << hex("3502") << Answer::NoEffect;

    // Nothing to answer to.
    QTest::newRow("empty") << QByteArray() << QByteArray() << Answer::NoEffect;
    QTest::newRow("one byte") << hex("36") << QByteArray() << Answer::NoEffect;
    QTest::newRow("direction 03") << hex("3603") << QByteArray() << Answer::NoEffect;
    QTest::newRow("direction 00") << hex("3600") << QByteArray() << Answer::NoEffect;
}

void TestRadioUnit::readAnswers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, expected);
    QFETCH(Answer::Kind, kind);

    RadioUnit unit;
    unit.loadConfig(busyConfig());
    const QByteArray answer = unit.answer(request);
    QCOMPARE(answer.toHex(' '), expected.toHex(' '));
    QCOMPARE(parseAnswer(answer).kind, kind);
}

void TestRadioUnit::writeAnswers_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<Answer::Kind>("kind");
    QTest::addColumn<QByteArray>("readRequest");
    QTest::addColumn<QByteArray>("readAfter");

    const HomeRow yard{"901", "901", "01", "01", "YARD"};
    const QByteArray record7 = Frames::buildHomeRecord(7, yard);

    QTest::newRow("DTMF delay") << hex("36012A") << hex("360100") << Answer::NoEffect << hex("3602")
                                << hex("36022A");
    QTest::newRow("minimum volume")
        << hex("3A01FF") << hex("3A0100") << Answer::NoEffect << hex("3A02") << hex("3A02FF");
    QTest::newRow("serial number")
        << hex("3701") + text16("0123456789ABCDEF") << hex("370100") << Answer::NoEffect
        << hex("3702") << hex("3702") + text16("0123456789ABCDEF");
    QTest::newRow("user description")
        << hex("3C01") + text16("") << hex("3C0100") << Answer::NoEffect << hex("3C02")
        << hex("3C02") + text16("");
    QTest::newRow("subnet mask") << hex("4E0101") + "255.0.0.0" << hex("4E010100")
                                 << Answer::NoEffect << hex("4E0201")
                                 << hex("4E0201") + "255.0.0.0";
    QTest::newRow("empty IP") << hex("4E0100") << hex("4E010000") << Answer::NoEffect
                              << hex("4E0200") << hex("4E0200");
    QTest::newRow("features") << hex("50018001") << hex("500100") << Answer::NoEffect << hex("5002")
                              << hex("50028001");
    QTest::newRow("internal radio")
        << hex("390101") << hex("390100") << Answer::NoEffect << hex("3902") << hex("390201");
    QTest::newRow("railroad") << hex("3E0109") << hex("3E0100") << Answer::NoEffect << hex("3E02")
                              << hex("3E0209");
    QTest::newRow("record 7") << record7 << hex("3301000700") << Answer::NoEffect << hex("33020007")
                              << hex("33020007") + record7.mid(4);

    // Refused: error status behind the addressing, nothing stored.
    const QByteArray unprogrammed1 = hex("33020001") + QByteArray(26, char(0xFF));
    QTest::newRow("DTMF cut short")
        << hex("3601") << hex("360101") << Answer::ParameterError << hex("3602") << hex("360207");
    QTest::newRow("DTMF too long") << hex("36012A00") << hex("360101") << Answer::ParameterError
                                   << hex("3602") << hex("360207");
    QTest::newRow("serial number of 15 bytes")
        << hex("3701") + QByteArray(15, 'x') << hex("370101") << Answer::ParameterError
        << hex("3702") + QByteArray() << hex("3702") + text16("SIM-0001");
    QTest::newRow("features cut short") << hex("500180") << hex("500101") << Answer::ParameterError
                                        << hex("5002") << hex("50020000");
    QTest::newRow("address sub-code 3")
        << hex("4E0103") + "1.2.3.4" << hex("4E010301") << Answer::AddressError << hex("4E0200")
        << hex("4E0200") + "10.10.9.13";
    QTest::newRow("address without sub-code")
        << hex("4E01") << hex("4E010001") << Answer::AddressError << QByteArray() << QByteArray();
    QTest::newRow("address text too long")
        << hex("4E0100") + QByteArray(RadioUnit::MaxAddressLength + 1, '1') << hex("4E010001")
        << Answer::AddressError << hex("4E0200") << hex("4E0200") + "10.10.9.13";
    QTest::newRow("record 0") << Frames::buildHomeRecord(0, yard) << hex("3301000001")
                              << Answer::ChannelError << QByteArray() << QByteArray();
    QTest::newRow("record 501") << Frames::buildHomeRecord(501, yard) << hex("330101F501")
                                << Answer::ChannelError << QByteArray() << QByteArray();
    QTest::newRow("record of 29 bytes")
        << Frames::buildHomeRecord(1, yard).left(29) << hex("3301000101") << Answer::ChannelError
        << hex("33020001") << unprogrammed1;
    QTest::newRow("record number cut short")
        << hex("330100") << hex("3301000001") << Answer::ChannelError << QByteArray()
        << QByteArray();
    QTest::newRow("factory frame with another value")
        << hex("350104") << hex("350101") << Answer::ParameterError << QByteArray() << QByteArray();
    QTest::newRow("unknown code") << hex("5101AA") << hex("510101") << Answer::ParameterError
                                  << QByteArray() << QByteArray();
}

void TestRadioUnit::writeAnswers()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QFETCH(Answer::Kind, kind);
    QFETCH(QByteArray, readRequest);
    QFETCH(QByteArray, readAfter);

    RadioUnit unit;
    const QByteArray answer = unit.answer(frame);
    QCOMPARE(answer.toHex(' '), expected.toHex(' '));
    QCOMPARE(parseAnswer(answer).kind, kind);
    if (!readRequest.isEmpty())
        QCOMPARE(unit.answer(readRequest).toHex(' '), readAfter.toHex(' '));
}

void TestRadioUnit::writeThenReadEveryIndex_data()
{
    QTest::addColumn<int>("index");
    for (int index = 0; index < Frames::CommandCount; ++index)
        QTest::addRow("index %d", index) << index;
}

// What a Write stores, a Read gives back byte for byte under the read header.
void TestRadioUnit::writeThenReadEveryIndex()
{
    QFETCH(int, index);

    const RadioConfig config = busyConfig();
    qint32 counter = 1 + qMax(0, index - Frames::GeneralCount);
    const QByteArray frame = Frames::buildWriteFrame(index, config, counter);
    RadioUnit unit;
    const QByteArray answer = unit.answer(frame);

    const int statusAt = index >= Frames::GeneralCount ? 4 : (index >= 4 && index <= 6) ? 3 : 2;
    QCOMPARE(answer.size(), statusAt + 1);
    QCOMPARE(answer.left(statusAt), frame.left(statusAt));
    QCOMPARE(int(answer.at(statusAt)), int(RadioUnit::StatusAccepted));

    counter = 1 + qMax(0, index - Frames::GeneralCount);
    const QByteArray readBack = unit.answer(Frames::buildReadRequest(index, counter));
    QByteArray expected = frame;
    expected[1] = Frames::Read;
    QCOMPARE(readBack.toHex(' '), expected.toHex(' '));
    QVERIFY(parseAnswer(readBack).kind != Answer::NoEffect);
}

void TestRadioUnit::configThroughUnit_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    enum
    {
        Dtmf,
        Volume,
        Description,
        Gateway,
        RanTx,
        Label
    };
    QTest::newRow("DTMF as stored") << int(Dtmf) << "42"
                                    << "42";
    QTest::newRow("DTMF keeps the low byte") << int(Dtmf) << "300"
                                             << "44";
    QTest::newRow("DTMF reads back signed") << int(Dtmf) << "200"
                                            << "-56";
    QTest::newRow("volume not a number") << int(Volume) << "abc"
                                         << "0";
    QTest::newRow("description cut to 16 bytes") << int(Description) << "A description too long"
                                                 << "A description to";
    QTest::newRow("empty gateway") << int(Gateway) << ""
                                   << "";
    QTest::newRow("RAN 00 reads back empty") << int(RanTx) << "00"
                                             << "";
    QTest::newRow("label starting with a space") << int(Label) << " spaced"
                                                 << "";
}

// loadConfig and toConfig are what the sim's data files go through.
void TestRadioUnit::configThroughUnit()
{
    QFETCH(int, field);
    QFETCH(QString, input);
    QFETCH(QString, expected);

    RadioConfig config = busyConfig();
    QString *targets[] = {&config.general.dtmfDelay,       &config.general.minVolume,
                          &config.general.userDescription, &config.general.gateway,
                          &config.rows[123].ranTx,         &config.rows[499].label};
    *targets[field] = input;

    RadioUnit unit;
    unit.loadConfig(config);
    QCOMPARE(unit.requestCount(), 0);
    const RadioConfig back = unit.toConfig();

    *targets[field] = expected;
    QCOMPARE(back.general, config.general);
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row)
        QVERIFY2(back.rows.at(row) == config.rows.at(row), qPrintable(QString::number(row)));
}

void TestRadioUnit::unprogrammedRecords()
{
    RadioUnit unit;
    QVERIFY(!unit.recordProgrammed(1));
    QVERIFY(!unit.recordProgrammed(500));
    const QByteArray answer = unit.answer(hex("330201F4"));
    QCOMPARE(answer.size(), 30);
    QCOMPARE(quint8(answer.at(4)), quint8(0xFF));
    const Answer decoded = parseAnswer(answer);
    QCOMPARE(decoded.kind, Answer::HomeChannel);
    QCOMPARE(decoded.record, 500);
    QCOMPARE(decoded.row, HomeRow());

    unit.loadConfig(busyConfig());
    QVERIFY(unit.recordProgrammed(500));
    unit.eraseRecords();
    QVERIFY(!unit.recordProgrammed(500));
    QCOMPARE(quint8(unit.answer(hex("330201F4")).at(4)), quint8(0xFF));
}

void TestRadioUnit::errorKnobs_data()
{
    QTest::addColumn<int>("errorCode");
    QTest::addColumn<int>("errorRecord");
    QTest::addColumn<int>("index");
    QTest::addColumn<Answer::Kind>("kind");

    QTest::newRow("DTMF refused") << 0x36 << 0 << 0 << Answer::ParameterError;
    QTest::newRow("DTMF refused, volume taken") << 0x36 << 0 << 1 << Answer::NoEffect;
    QTest::newRow("address refused") << 0x4E << 0 << 5 << Answer::AddressError;
    QTest::newRow("features refused") << 0x50 << 0 << 7 << Answer::ParameterError;
    QTest::newRow("every record refused") << 0x33 << 0 << 300 << Answer::ChannelError;
    QTest::newRow("record 250 refused") << 0 << 250 << 259 << Answer::ChannelError;
    QTest::newRow("record 250 refused, 251 taken") << 0 << 250 << 260 << Answer::NoEffect;
    QTest::newRow("record 250 refused, railroad taken") << 0 << 250 << 9 << Answer::NoEffect;
}

void TestRadioUnit::errorKnobs()
{
    QFETCH(int, errorCode);
    QFETCH(int, errorRecord);
    QFETCH(int, index);
    QFETCH(Answer::Kind, kind);

    RadioUnit unit;
    if (errorCode)
        unit.setErrorForCode(char(errorCode));
    if (errorRecord)
        unit.setErrorForRecord(errorRecord);

    qint32 counter = 1 + qMax(0, index - Frames::GeneralCount);
    const qint32 first = counter;
    const QByteArray read = Frames::buildReadRequest(index, counter);
    const QByteArray before = unit.answer(read);
    counter = first;
    QCOMPARE(parseAnswer(unit.answer(Frames::buildWriteFrame(index, busyConfig(), counter))).kind,
             kind);
    const bool stored = unit.answer(read) != before;
    QCOMPARE(stored, kind == Answer::NoEffect);

    // Switched off again, the same frame goes through.
    unit.setErrorForCode(char(errorCode), false);
    unit.setErrorForRecord(errorRecord, false);
    counter = first;
    QCOMPARE(parseAnswer(unit.answer(Frames::buildWriteFrame(index, busyConfig(), counter))).kind,
             Answer::NoEffect);
}

void TestRadioUnit::stopAfter_data()
{
    QTest::addColumn<int>("stopAfter");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("answered");

    QTest::newRow("never stops") << -1 << 12 << 12;
    QTest::newRow("silent from the start") << 0 << 5 << 0;
    QTest::newRow("stops after 37") << 37 << 40 << 37;
    QTest::newRow("limit not reached") << 20 << 10 << 10;
}

void TestRadioUnit::stopAfter()
{
    QFETCH(int, stopAfter);
    QFETCH(int, requests);
    QFETCH(int, answered);

    RadioUnit unit;
    unit.setStopAfter(stopAfter);
    qint32 counter = 1;
    int gotAnswers = 0;
    for (int index = 0; index < requests; ++index) {
        const QByteArray request = Frames::buildReadRequest(index, counter);
        const QByteArray answer = unit.answer(request);
        if (!answer.isEmpty()) {
            ++gotAnswers;
            QVERIFY2(index < answered, qPrintable(QString::number(index)));
        }
        QCOMPARE(unit.log().last().request, request);
        QCOMPARE(unit.log().last().answer, answer);
    }
    QCOMPARE(gotAnswers, answered);
    QCOMPARE(unit.requestCount(), requests);
    QCOMPARE(unit.log().size(), requests);
    unit.clearLog();
    QCOMPARE(unit.requestCount(), 0);
    QVERIFY(unit.log().isEmpty());
}

void TestRadioUnit::factoryFrame()
{
    RadioUnit unit;
    unit.loadConfig(busyConfig());
    const QByteArray answer = unit.answer(Frames::buildFactoryFrame());
    QCOMPARE(answer, hex("350100"));
    QCOMPARE(parseAnswer(answer).kind, Answer::NoEffect);
    QCOMPARE(unit.factoryCount(), 1);
    QCOMPARE(unit.toConfig(), busyConfig());

    unit.setErrorForCode(Frames::FactoryCode);
    QCOMPARE(parseAnswer(unit.answer(Frames::buildFactoryFrame())).kind, Answer::ParameterError);
    QCOMPARE(unit.factoryCount(), 1);
}

void TestRadioUnit::truncatedFramesNeverCrash_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("write");
    for (int index : {0, 2, 4, 6, 7, 9, 10, 509}) {
        QTest::addRow("read %d", index) << index << false;
        QTest::addRow("write %d", index) << index << true;
    }
    QTest::newRow("factory") << -1 << true;
}

// Every prefix, and every prefix with a wrong byte at its end, is answered
// with the request's header or not at all.
void TestRadioUnit::truncatedFramesNeverCrash()
{
    QFETCH(int, index);
    QFETCH(bool, write);

    qint32 counter = 1;
    const QByteArray frame = index < 0 ? Frames::buildFactoryFrame()
                             : write   ? Frames::buildWriteFrame(index, busyConfig(), counter)
                                       : Frames::buildReadRequest(index, counter);
    RadioUnit unit;
    for (int length = 0; length <= frame.size() + 1; ++length) {
        QByteArray cut = frame.left(length);
        if (length > frame.size())
            cut.append(char(0xFF));
        for (int variant = 0; variant < 2; ++variant) {
            if (variant == 1 && !cut.isEmpty())
                cut[cut.size() - 1] = char(0xFF);
            const QByteArray answer = unit.answer(cut);
            if (cut.size() < 2 || (cut.at(1) != Frames::Read && cut.at(1) != Frames::Write)) {
                QVERIFY(answer.isEmpty());
                continue;
            }
            QCOMPARE(answer.left(2), cut.left(2));
            QVERIFY(answer.size() <= qMax(cut.size(), int(Frames::RecordLength)) + 1);
        }
    }
}

QTEST_GUILESS_MAIN(TestRadioUnit)
#include "tst_radiounit.moc"
