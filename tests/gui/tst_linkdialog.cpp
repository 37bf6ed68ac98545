#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "link/linkdialog.h"
#include "tabs/featuretab.h"
#include "tabs/hometab.h"
#include "tabs/networktab.h"
#include "tabs/radiotab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTableWidgetItem>
#include <QTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray record(int number, const QByteArray &body)
{
    QByteArray bytes = hex("3302");
    bytes.append(char(number >> 8));
    bytes.append(char(number & 0xFF));
    bytes.append(body);
    bytes.append(30 - bytes.size(), '\0');
    return bytes.left(30);
}

// Everything an answer could change in the tabs, for before/after comparison.
struct State
{
    RadioConfig config;
    QString checks;
    bool operator==(const State &other) const
    {
        return config == other.config && checks == other.checks &&
               checks.isNull() == other.checks.isNull();
    }
};

State stateOf(const MainWindow &window)
{
    return State{ConfigSnapshot::takeConfig(&window), window.featureTab->checks};
}

QString valueOf(const MainWindow &window, const QString &field)
{
    const RadioTab *radio = window.radioTab;
    const NetworkTab *network = window.networkTab;
    if (field == "dtmf")
        return radio->dtmfDelayEdit->text();
    if (field == "volume")
        return radio->minVolumeEdit->text();
    if (field == "serial")
        return radio->serialNumberEdit->text();
    if (field == "description")
        return radio->userDescriptionEdit->text();
    if (field == "ip")
        return network->ipEdit->text();
    if (field == "mask")
        return network->subnetMaskEdit->text();
    if (field == "gateway")
        return network->gatewayEdit->text();
    if (field == "radio")
        return QString::number(radio->internalRadioCombo->currentIndex());
    if (field == "railroad")
        return QString::number(radio->railroadCombo->currentIndex());
    if (field == "checks")
        return window.featureTab->checks;
    if (field.startsWith("row")) {
        const HomeRow row = ConfigSnapshot::takeRow(&window, field.mid(3).toInt());
        return QStringList{row.tx, row.rx, row.ranTx, row.ranRx, row.label}.join('|');
    }
    return QString("?");
}

} // namespace

class LinkDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void writesValue_data();
    void writesValue();
    void changesNothing_data();
    void changesNothing();
    void errors_data();
    void errors();
    void countsAndProgress();
    void errorTextStays();
    void featureWordZeroKeepsChecksNull();
    void rowOverwritesAutomaticFill();
    void malformedAnswers();
};

void LinkDialogTest::writesValue_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");

    QTest::newRow("dtmf -123") << hex("360285") << "dtmf"
                               << "-123";
    QTest::newRow("dtmf 7") << hex("360207") << "dtmf"
                            << "7";
    QTest::newRow("volume 20") << hex("3a0214") << "volume"
                               << "20";
    QTest::newRow("serial ABC") << hex("3702414243") + QByteArray(13, '\0') << "serial"
                                << "ABC";
    QTest::newRow("description 16") << hex("3c02") + "0123456789ABCDEF"
                                    << "description"
                                    << "0123456789ABCDEF";
    QTest::newRow("ip") << hex("4e0200") + "10.10.9.13"
                        << "ip"
                        << "10.10.9.13";
    QTest::newRow("ip emptied") << hex("4e0200") << "ip"
                                << "";
    QTest::newRow("mask") << hex("4e0201") + "255.255.0.0"
                          << "mask"
                          << "255.255.0.0";
    QTest::newRow("gateway") << hex("4e0202") + "10.0.0.1"
                             << "gateway"
                             << "10.0.0.1";
    QTest::newRow("features 8001") << hex("50028001") << "checks"
                                   << "1000000000000001";
    QTest::newRow("features all") << hex("5002ffff") << "checks"
                                  << "1111111111111111";
    QTest::newRow("radio 2") << hex("390202") << "radio"
                             << "2";
    QTest::newRow("radio none") << hex("3902ff") << "radio"
                                << "-1";
    QTest::newRow("radio beyond list") << hex("390205") << "radio"
                                       << "-1";
    QTest::newRow("railroad 9") << hex("3e0209") << "railroad"
                                << "9";
    QTest::newRow("record 1") << record(1, "901901"
                                           "0101"
                                           "YARD")
                              << "row0"
                              << "901|901|01|01|YARD";
    QTest::newRow("record 500") << record(500, "820820"
                                               "0139"
                                               "END")
                                << "row499"
                                << "820|820|01|39|END";
    QTest::newRow("record 2 ran 00, label space") << record(2, "901901"
                                                               "0000"
                                                               " YARD")
                                                  << "row1"
                                                  << "901|901|||";
    QTest::newRow("record 3 unprogrammed") << record(3, "\xff"
                                                        "01901"
                                                        "0101"
                                                        "YARD")
                                           << "row2"
                                           << "||||";
}

void LinkDialogTest::writesValue()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, field);
    QFETCH(QString, value);

    MainWindow window;
    // Something in every row the answers could reach, so that emptying shows.
    for (int row : {0, 1, 2, 499})
        ConfigSnapshot::applyRow(&window, row, HomeRow{"50", "50", "10", "10", "OLD"});
    LinkDialog dialog(&window);
    dialog.showResponse(answer);
    QCOMPARE(valueOf(window, field), value);
    QCOMPARE(dialog.transactionCount, 1);
    QCOMPARE(dialog.parameterError, 0);
    QCOMPARE(dialog.statusLabel->text(), QString());
}

void LinkDialogTest::changesNothing_data()
{
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one byte") << hex("36");
    QTest::newRow("write accepted") << hex("360100");
    QTest::newRow("address accepted") << hex("4e010200");
    QTest::newRow("address three bytes") << hex("4e0101");
    QTest::newRow("channel accepted") << hex("3301000500");
    QTest::newRow("dtmf four bytes") << hex("36020700");
    QTest::newRow("serial 17 bytes") << hex("3702") + "0123456789ABCDE";
    QTest::newRow("sub-code 3") << hex("4e0203") + "1.2.3.4";
    QTest::newRow("features short") << hex("500280");
    QTest::newRow("record 0") << record(0, "901901"
                                           "0101"
                                           "X");
    QTest::newRow("record 501") << record(501, "901901"
                                               "0101"
                                               "X");
    QTest::newRow("record 29 bytes") << record(1, "901901"
                                                  "0101"
                                                  "X")
                                            .left(29);
    QTest::newRow("direction 3") << hex("360307");
    QTest::newRow("unknown code") << hex("770207");
}

void LinkDialogTest::changesNothing()
{
    QFETCH(QByteArray, answer);

    MainWindow window;
    LinkDialog dialog(&window);
    const State before = stateOf(window);
    dialog.showResponse(answer);
    QVERIFY(stateOf(window) == before);
    QCOMPARE(dialog.transactionCount, 1);
    QCOMPARE(dialog.trafficLabel->text(), QString("Traffic, transaction #1:"));
    QCOMPARE(dialog.progressBar->value(), 1);
    QCOMPARE(dialog.parameterError, 0);
    QCOMPARE(dialog.statusLabel->text(), QString());
}

void LinkDialogTest::errors_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("status");

    QTest::newRow("dtmf") << hex("360101") << "Parameter error detected";
    QTest::newRow("factory") << hex("350101") << "Parameter error detected";
    QTest::newRow("address") << hex("4e010201") << "IP parameter error detected";
    QTest::newRow("channel") << hex("3301000501") << "Channel parameter error detected";
}

void LinkDialogTest::errors()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, status);

    MainWindow window;
    LinkDialog dialog(&window);
    const State before = stateOf(window);
    dialog.showResponse(answer);
    QCOMPARE(dialog.parameterError, 1);
    QCOMPARE(dialog.statusLabel->text(), status);
    QCOMPARE(dialog.transactionCount, 1);
    QVERIFY(stateOf(window) == before);
}

void LinkDialogTest::countsAndProgress()
{
    MainWindow window;
    LinkDialog dialog(&window);
    QCOMPARE(dialog.homeBypassCheckBox->text(), QString("Home Bypass"));
    QVERIFY(!dialog.homeBypassCheckBox->isChecked());
    QVERIFY(!dialog.progressBar->isTextVisible());

    for (int i = 1; i <= 12; ++i) {
        dialog.homeBypassCheckBox->setChecked(i <= 10);
        dialog.showResponse(hex("360100"));
        QCOMPARE(dialog.transactionCount, i);
        QCOMPARE(dialog.trafficLabel->text(), QString("Traffic, transaction #%1:").arg(i));
        QCOMPARE(dialog.progressBar->maximum(), i <= 10 ? 9 : 509);
        // The tenth answer of a bypass walk is past the maximum: the bar keeps 9.
        QCOMPARE(dialog.progressBar->value(), i == 10 ? 9 : i);
    }
}

void LinkDialogTest::errorTextStays()
{
    MainWindow window;
    LinkDialog dialog(&window);
    dialog.showResponse(hex("4e010201"));
    dialog.showResponse(hex("360100"));
    dialog.showResponse(hex("360207"));
    QCOMPARE(dialog.statusLabel->text(), QString("IP parameter error detected"));
    QCOMPARE(dialog.parameterError, 1);
    QCOMPARE(window.radioTab->dtmfDelayEdit->text(), QString("7"));
    dialog.showResponse(hex("3301000101"));
    QCOMPARE(dialog.statusLabel->text(), QString("Channel parameter error detected"));
}

void LinkDialogTest::featureWordZeroKeepsChecksNull()
{
    MainWindow window;
    LinkDialog dialog(&window);
    dialog.showResponse(hex("50020000"));
    QVERIFY(window.featureTab->checks.isNull());
    dialog.showResponse(hex("50028001"));
    for (int bit = 0; bit < 16; ++bit)
        QCOMPARE(window.featureTab->featureBoxes[bit]->isChecked(), bit == 0 || bit == 15);
}

void LinkDialogTest::rowOverwritesAutomaticFill()
{
    MainWindow window;
    LinkDialog dialog(&window);
    // TX alone fills RX and both RAN cells; the answer's own empties win.
    dialog.showResponse(record(7, QByteArray("901\0\0\0"
                                             "00"
                                             "00"
                                             " ",
                                             11)));
    QCOMPARE(valueOf(window, "row6"), QString("901||||"));
    QTableWidgetItem *tx = window.homeTab->items[6][HomeTab::Tx];
    QCOMPARE(tx->foreground().color(), QColor(Qt::red));
    // A later answer for the same record replaces everything.
    dialog.showResponse(record(7, "302302"
                                  "6301"
                                  "SIDING"));
    QCOMPARE(valueOf(window, "row6"), QString("302|302|63|01|SIDING"));
    QCOMPARE(tx->foreground().color(), QColor(Qt::black));
}

void LinkDialogTest::malformedAnswers()
{
    MainWindow window;
    LinkDialog dialog(&window);
    QRandomGenerator random(5122026);
    int count = 0;
    const char codes[] = {0x33, 0x35, 0x36, 0x37, 0x39, 0x3a, 0x3c, 0x3e, 0x4e, 0x50};
    for (char code : codes) {
        for (int length = 0; length <= 64; ++length) {
            QByteArray bytes(length, Qt::Uninitialized);
            for (char &c : bytes)
                c = char(random.bounded(256));
            if (length > 0)
                bytes[0] = code;
            if (length > 1)
                bytes[1] = char(1 + random.bounded(2));
            dialog.showResponse(QByteArray(bytes.constData(), bytes.size()));
            ++count;
        }
    }
    QCOMPARE(dialog.transactionCount, count);
    QCOMPARE(dialog.trafficLabel->text(), QString("Traffic, transaction #%1:").arg(count));
}

QTEST_MAIN(LinkDialogTest)
#include "tst_linkdialog.moc"
