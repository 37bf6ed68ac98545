#include "link/answers.h"
#include "link/frames.h"

#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(Answer::Kind)

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray record(const char *recordHex, const QByteArray &body)
{
    QByteArray bytes = hex("3302") + hex(recordHex) + body;
    bytes.append(30 - bytes.size(), '\0');
    return bytes.left(30);
}

} // namespace

class AnswersTest : public QObject
{
    Q_OBJECT

private slots:
    void kinds_data();
    void kinds();
    void homeRows_data();
    void homeRows();
    void malformedNeverReadOutOfBounds();
    void textUpToNulBounds();
};

void AnswersTest::kinds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Answer::Kind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");

    const QString none;
    // Write answers: the status byte follows the request's own addressing.
    QTest::newRow("write accepted") << hex("360100") << Answer::NoEffect << none << 0;
    QTest::newRow("write error") << hex("360101") << Answer::ParameterError << none << 0;
    QTest::newRow("factory error") << hex("350101") << Answer::ParameterError << none << 0;
    QTest::newRow("unknown code error") << hex("770101") << Answer::ParameterError << none << 0;
    QTest::newRow("write status missing") << hex("3601") << Answer::NoEffect << none << 0;
    QTest::newRow("address error") << hex("4e010201") << Answer::AddressError << none << 0;
    QTest::newRow("address accepted") << hex("4e010200") << Answer::NoEffect << none << 0;
    QTest::newRow("address status missing") << hex("4e0101") << Answer::NoEffect << none << 0;
    QTest::newRow("channel error") << hex("3301000501") << Answer::ChannelError << none << 0;
    QTest::newRow("channel accepted") << hex("3301000500") << Answer::NoEffect << none << 0;
    QTest::newRow("channel status at 2 ignored") << hex("330101") << Answer::NoEffect << none << 0;
    QTest::newRow("error with extra bytes")
        << hex("3601010203") << Answer::ParameterError << none << 0;
    // Read answers.
    QTest::newRow("dtmf 7") << hex("360207") << Answer::DtmfDelay << "7" << 0;
    QTest::newRow("dtmf -123") << hex("360285") << Answer::DtmfDelay << "-123" << 0;
    QTest::newRow("dtmf four bytes") << hex("36020700") << Answer::NoEffect << none << 0;
    QTest::newRow("dtmf two bytes") << hex("3602") << Answer::NoEffect << none << 0;
    QTest::newRow("volume -1") << hex("3a02ff") << Answer::MinVolume << "-1" << 0;
    QTest::newRow("serial ABC") << hex("3702414243") + QByteArray(13, '\0') << Answer::SerialNumber
                                << "ABC" << 0;
    QTest::newRow("serial 16 no nul")
        << hex("3702") + "0123456789ABCDEF" << Answer::SerialNumber << "0123456789ABCDEF" << 0;
    QTest::newRow("serial 17 bytes")
        << hex("3702") + "0123456789ABCDE" << Answer::NoEffect << none << 0;
    QTest::newRow("description after nul dropped")
        << hex("3c02") + QByteArray("AB\0CD", 5) + QByteArray(11, 'x') << Answer::UserDescription
        << "AB" << 0;
    QTest::newRow("description invalid utf8")
        << hex("3c0241ff42") + QByteArray(13, '\0') << Answer::UserDescription
        << QString("A") + QChar(0xFFFD) + "B" << 0;
    QTest::newRow("ip") << hex("4e0200") + "10.10.9.13" << Answer::Ip << "10.10.9.13" << 0;
    QTest::newRow("ip empty") << hex("4e0200") << Answer::Ip << "" << 0;
    QTest::newRow("mask") << hex("4e0201") + "255.0.0.0" << Answer::SubnetMask << "255.0.0.0" << 0;
    QTest::newRow("gateway nul ends")
        << hex("4e0202") + QByteArray("1.2.3.4\0junk", 12) << Answer::Gateway << "1.2.3.4" << 0;
    QTest::newRow("sub-code 3") << hex("4e020331") << Answer::NoEffect << none << 0;
    QTest::newRow("sub-code missing") << hex("4e02") << Answer::NoEffect << none << 0;
    QTest::newRow("features") << hex("50028001") << Answer::Features << none << 0x8001;
    QTest::newRow("features short") << hex("500280") << Answer::NoEffect << none << 0;
    QTest::newRow("radio -1") << hex("3902ff") << Answer::InternalRadio << none << -1;
    QTest::newRow("radio 2") << hex("390202") << Answer::InternalRadio << none << 2;
    QTest::newRow("railroad 127") << hex("3e027f") << Answer::Railroad << none << 127;
    QTest::newRow("railroad -128") << hex("3e0280") << Answer::Railroad << none << -128;
    QTest::newRow("record short") << hex("33020001") << Answer::NoEffect << none << 0;
    QTest::newRow("record 31 bytes") << record("0001", "") + "x" << Answer::NoEffect << none << 0;
    QTest::newRow("record 0") << record("0000", "901") << Answer::NoEffect << none << 0;
    QTest::newRow("record 501") << record("01f5", "901") << Answer::NoEffect << none << 0;
    QTest::newRow("record 500") << record("01f4", "901") << Answer::HomeChannel << none << 500;
    // Neither read nor write.
    QTest::newRow("direction 3") << hex("360307") << Answer::NoEffect << none << 0;
    QTest::newRow("empty") << QByteArray() << Answer::NoEffect << none << 0;
    QTest::newRow("one byte") << hex("36") << Answer::NoEffect << none << 0;
    QTest::newRow("unknown read code") << hex("770207") << Answer::NoEffect << none << 0;
}

void AnswersTest::kinds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Answer::Kind, kind);
    QFETCH(QString, text);
    QFETCH(int, number);

    const Answer answer = parseAnswer(bytes);
    QCOMPARE(answer.kind, kind);
    if (!text.isNull())
        QCOMPARE(answer.text, text);
    if (kind == Answer::Features)
        QCOMPARE(int(answer.features), number);
    if (kind == Answer::InternalRadio || kind == Answer::Railroad)
        QCOMPARE(answer.index, number);
    if (kind == Answer::HomeChannel)
        QCOMPARE(answer.record, number);
    const bool error = kind == Answer::ChannelError || kind == Answer::AddressError ||
                       kind == Answer::ParameterError;
    QCOMPARE(QByteArray(errorText(answer.kind)).isEmpty(), !error);
}

void AnswersTest::homeRows_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("row");

    QTest::newRow("yard") << record("0001", "901901"
                                            "0101"
                                            "YARD")
                          << QStringList{"901", "901", "01", "01", "YARD"};
    QTest::newRow("unprogrammed") << record("0001", "\xff"
                                                    "01901"
                                                    "0101"
                                                    "YARD")
                                  << QStringList{"", "", "", "", ""};
    QTest::newRow("ran 00 and label space") << record("0002", "901901"
                                                              "0000"
                                                              " YARD")
                                            << QStringList{"901", "901", "", "", ""};
    QTest::newRow("label starting ff") << record("0002", "820820"
                                                         "0139"
                                                         "\xff"
                                                         "ABC")
                                       << QStringList{"820", "820", "01", "39", ""};
    QTest::newRow("short texts run on") << record("0003", QByteArray("50\0"
                                                                     "50\0"
                                                                     "5\0"
                                                                     "7\0"
                                                                     "L",
                                                                     11))
                                        << QStringList{"50", "50", "5", "7", "L"};
    QTest::newRow("tx runs into rx")
        << record("0003", QByteArray("45", 2)) << QStringList{"45", "", "", "", ""};
    QTest::newRow("label full 16") << record("0004", "123456"
                                                     "7890"
                                                     "ABCDEFGHIJKLMNOP")
                                   << QStringList{"123", "456", "78", "90", "ABCDEFGHIJKLMNOP"};
    QTest::newRow("ran 0 single kept") << record("0005", QByteArray("10\0"
                                                                    "10\0"
                                                                    "0\0"
                                                                    "00",
                                                                    10))
                                       << QStringList{"10", "10", "0", "", ""};
    QTest::newRow("all zero") << record("0006", "") << QStringList{"", "", "", "", ""};
}

void AnswersTest::homeRows()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, row);

    QCOMPARE(bytes.size(), 30);
    const Answer answer = parseAnswer(bytes);
    QCOMPARE(answer.kind, Answer::HomeChannel);
    const QStringList got{answer.row.tx, answer.row.rx, answer.row.ranTx, answer.row.ranRx,
                          answer.row.label};
    QCOMPARE(got, row);
}

void AnswersTest::malformedNeverReadOutOfBounds()
{
    // Every length from 0 to 64 behind every recognised header, then random
    // bytes. Run under AddressSanitizer to make an overread visible.
    const char codes[] = {0x33, 0x35, 0x36, 0x37, 0x39, 0x3a, 0x3c, 0x3e, 0x4e, 0x50, 0x00, 0x7f};
    int decoded = 0;
    for (char code : codes) {
        for (char direction : {char(0x01), char(0x02), char(0xff)}) {
            for (int length = 0; length <= 64; ++length) {
                for (char fill : {char(0x00), char(0x01), char(0xff), char(0x20)}) {
                    QByteArray bytes(length, fill);
                    if (length > 0)
                        bytes[0] = code;
                    if (length > 1)
                        bytes[1] = direction;
                    // A fresh copy without spare capacity, so an overread leaves the buffer.
                    const QByteArray exact(bytes.constData(), bytes.size());
                    const Answer answer = parseAnswer(exact);
                    if (answer.kind != Answer::NoEffect)
                        ++decoded;
                    if (answer.kind == Answer::HomeChannel)
                        QVERIFY(answer.record >= 1 && answer.record <= 500);
                    QVERIFY(answer.row.label.size() <= 16);
                }
            }
        }
    }
    QVERIFY(decoded > 0);

    QRandomGenerator random(20261205);
    for (int i = 0; i < 20000; ++i) {
        QByteArray bytes(int(random.bounded(65)), Qt::Uninitialized);
        for (char &c : bytes)
            c = char(random.bounded(256));
        if (bytes.size() > 1 && random.bounded(2))
            bytes[1] = char(1 + random.bounded(2));
        const Answer answer = parseAnswer(bytes);
        if (answer.kind == Answer::HomeChannel) {
            QCOMPARE(bytes.size(), 30);
            QVERIFY(answer.row.tx.size() <= 3);
            QVERIFY(answer.row.ranRx.size() <= 2);
        }
    }
}

void AnswersTest::textUpToNulBounds()
{
    const QByteArray bytes("AB\0CD", 5);
    QCOMPARE(textUpToNul(bytes, 0, 5), QString("AB"));
    QCOMPARE(textUpToNul(bytes, 3, 5), QString("CD"));
    QCOMPARE(textUpToNul(bytes, 3, 99), QString("CD"));
    QCOMPARE(textUpToNul(bytes, 2, 5), QString(""));
    QCOMPARE(textUpToNul(bytes, 5, 9), QString(""));
    QCOMPARE(textUpToNul(bytes, -1, 9), QString(""));
    QCOMPARE(textUpToNul(QByteArray(), 0, 30), QString(""));
}

QTEST_APPLESS_MAIN(AnswersTest)
#include "tst_answers.moc"
