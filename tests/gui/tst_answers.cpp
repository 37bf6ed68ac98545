#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "link/linkdialog.h"
#include "tabs/featuretab.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

namespace {

QByteArray record(int number, const QByteArray &body)
{
    QByteArray bytes = QByteArray::fromHex("3302");
    bytes.append(char(number >> 8)).append(char(number & 0xFF)).append(body);
    return bytes.leftJustified(30, '\0', true);
}

// Every value an answer can set, one per line, the bit string "~" while null.
QStringList valuesOf(const MainWindow &window)
{
    const RadioConfig c = ConfigSnapshot::takeConfig(&window);
    const GeneralSettings &g = c.general;
    const QString checks = window.featureTab->checks;
    QStringList values{g.dtmfDelay,
                       g.minVolume,
                       g.serialNumber,
                       g.userDescription,
                       g.ip,
                       g.subnetMask,
                       g.gateway,
                       checks.isNull() ? QStringLiteral("~") : checks,
                       QString::number(g.internalRadio),
                       QString::number(g.railroad)};
    for (const HomeRow &r : c.rows)
        values << QStringList{r.tx, r.rx, r.ranTx, r.ranRx, r.label}.join(QLatin1Char('|'));
    return values;
}

} // namespace

class TestAnswers : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void progressAndErrorText();
};

void TestAnswers::decode_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("status");

    // value: the line of valuesOf() that changes (10 + n is row n), -1 for none.
    enum
    {
        Dtmf,
        Volume,
        Serial,
        Description,
        Ip,
        Mask,
        Gateway,
        Checks,
        Radio,
        Railroad,
        Row0
    };
    const QByteArray yard = "901901"
                            "0101"
                            "YARD";
    // clang-format off
    QTest::newRow("dtmf -123") << QByteArray::fromHex("360285") << int(Dtmf) << "-123" << "";
    QTest::newRow("volume 20") << QByteArray::fromHex("3a0214") << int(Volume) << "20" << "";
    QTest::newRow("serial ABC") << QByteArray::fromHex("3702414243") + QByteArray(13, '\0') << int(Serial) << "ABC" << "";
    QTest::newRow("description of 16") << "\x3c\x02" + QByteArray("0123456789ABCDEF") << int(Description) << "0123456789ABCDEF" << "";
    QTest::newRow("description bad UTF-8") << "\x3c\x02" + QByteArray("A\xff").leftJustified(16, '\0') << int(Description) << "A\ufffd" << "";
    QTest::newRow("ip") << QByteArray::fromHex("4e0200") + "10.1.1.9" << int(Ip) << "10.1.1.9" << "";
    QTest::newRow("ip emptied") << QByteArray::fromHex("4e0200") << int(Ip) << "" << "";
    QTest::newRow("subnet mask") << QByteArray::fromHex("4e0201") + "255.255.0.0" << int(Mask) << "255.255.0.0" << "";
    QTest::newRow("gateway") << QByteArray::fromHex("4e0202") + "10.0.0.1" << int(Gateway) << "10.0.0.1" << "";
    QTest::newRow("features 8001") << QByteArray::fromHex("50028001") << int(Checks) << "1000000000000001" << "";
    QTest::newRow("features 0 leave the bit string null") << QByteArray::fromHex("50020000") << -1 << "" << "";
    QTest::newRow("internal radio 2") << QByteArray::fromHex("390202") << int(Radio) << "2" << "";
    QTest::newRow("internal radio none") << QByteArray::fromHex("3902ff") << int(Radio) << "-1" << "";
    QTest::newRow("railroad 9") << QByteArray::fromHex("3e0209") << int(Railroad) << "9" << "";
    QTest::newRow("record 1") << record(1, yard) << int(Row0) << "901|901|01|01|YARD" << "";
    QTest::newRow("record 500") << record(500, "820820" "0139" "END") << Row0 + 499 << "820|820|01|39|END" << "";
    QTest::newRow("record 2, RAN 00 and label blank") << record(2, "901901" "0000" " YARD") << Row0 + 1 << "901|901|||" << "";
    QTest::newRow("record 3 unprogrammed") << record(3, "\xff" "01901" "0101" "YARD") << Row0 + 2 << "||||" << "";
    QTest::newRow("record 4 beats the fill") << record(4, QByteArray("901\0\0\0" "0000" "\xff", 11)) << Row0 + 3 << "901||||" << "";
    QTest::newRow("record 0") << record(0, yard) << -1 << "" << "";
    QTest::newRow("record 501") << record(501, yard) << -1 << "" << "";
    QTest::newRow("record of 29 bytes") << record(1, yard).left(29) << -1 << "" << "";
    QTest::newRow("dtmf of 4 bytes") << QByteArray::fromHex("36020700") << -1 << "" << "";
    QTest::newRow("serial of 17 bytes") << QByteArray::fromHex("3702") + "0123456789ABCDE" << -1 << "" << "";
    QTest::newRow("features of 3 bytes") << QByteArray::fromHex("500280") << -1 << "" << "";
    QTest::newRow("address sub-code 3") << QByteArray::fromHex("4e0203") + "1.2.3.4" << -1 << "" << "";
    QTest::newRow("direction 3") << QByteArray::fromHex("360307") << -1 << "" << "";
    QTest::newRow("unknown code") << QByteArray::fromHex("770207") << -1 << "" << "";
    QTest::newRow("one byte") << QByteArray::fromHex("36") << -1 << "" << "";
    QTest::newRow("write accepted") << QByteArray::fromHex("360100") << -1 << "" << "";
    QTest::newRow("address accepted") << QByteArray::fromHex("4e010200") << -1 << "" << "";
    QTest::newRow("address answer without status") << QByteArray::fromHex("4e0101") << -1 << "" << "";
    QTest::newRow("record accepted") << QByteArray::fromHex("3301000500") << -1 << "" << "";
    QTest::newRow("write refused") << QByteArray::fromHex("360101") << -1 << "" << "Parameter error detected";
    QTest::newRow("factory refused") << QByteArray::fromHex("350101") << -1 << "" << "Parameter error detected";
    QTest::newRow("address refused") << QByteArray::fromHex("4e010201") << -1 << "" << "IP parameter error detected";
    QTest::newRow("record refused") << QByteArray::fromHex("3301000501") << -1 << "" << "Channel parameter error detected";
    // clang-format on
}

void TestAnswers::decode()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, value);
    QFETCH(QString, expected);
    QFETCH(QString, status);

    MainWindow window;
    // Something in every row an answer could reach, so that emptying shows.
    for (int row : {0, 1, 2, 3, 499})
        ConfigSnapshot::applyRow(&window, row, HomeRow{"50", "50", "10", "10", "OLD"});
    QStringList values = valuesOf(window);
    LinkDialog dialog(&window);
    dialog.showResponse(answer);
    if (value >= 0)
        values[value] = expected;
    QCOMPARE(valuesOf(window), values);
    QCOMPARE(dialog.statusLabel->text(), status);
    QCOMPARE(dialog.parameterError, status.isEmpty() ? 0 : 1);
    QCOMPARE(dialog.transactionCount, 1);
    QCOMPARE(dialog.trafficLabel->text(), QStringLiteral("Traffic, transaction #1:"));
}

void TestAnswers::progressAndErrorText()
{
    MainWindow window;
    LinkDialog dialog(&window);
    const QByteArray answers[] = {QByteArray::fromHex("4e010201"), QByteArray::fromHex("360100"),
                                  QByteArray::fromHex("360207")};
    for (int i = 1; i <= 12; ++i) {
        dialog.homeBypassCheckBox->setChecked(i <= 10);
        dialog.showResponse(answers[qMin(i - 1, 2)]);
        QCOMPARE(dialog.transactionCount, i);
        QCOMPARE(dialog.progressBar->maximum(), i <= 10 ? 9 : 509);
        // The tenth answer of a bypass walk is past the maximum: the bar keeps 9.
        QCOMPARE(dialog.progressBar->value(), i == 10 ? 9 : i);
    }
    QCOMPARE(dialog.statusLabel->text(), QStringLiteral("IP parameter error detected"));
    QCOMPARE(dialog.parameterError, 1);
}

QTEST_MAIN(TestAnswers)
#include "tst_answers.moc"
