#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "link/frames.h"
#include "link/linkdialog.h"
#include "tabs/hometab.h"
#include "unit/radiounit.h"

#include <QCheckBox>
#include <QLabel>
#include <QtTest>

Q_DECLARE_METATYPE(RadioConfig)

namespace {

// Differs from a fresh window in every widget, and every value fits its frame.
RadioConfig fittingConfig()
{
    RadioConfig config;
    GeneralSettings &g = config.general;
    g.dtmfDelay = QStringLiteral("25");
    g.minVolume = QStringLiteral("-4");
    g.serialNumber = QStringLiteral("VR-000123");
    g.userDescription = QStringLiteral("Hump yard north");
    g.ip = QStringLiteral("172.16.5.40");
    g.subnetMask = QStringLiteral("255.255.252.0");
    g.gateway = QStringLiteral("172.16.4.1");
    g.features = 0xA5C3;
    g.internalRadio = 2;
    g.railroad = 7;
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row) {
        config.rows[row] = HomeRow{QString::number(200 + row), QString::number(201 + row % 700),
                                   QString::number(10 + row % 54), QString::number(63 - row % 50),
                                   QStringLiteral("Track %1").arg(row + 1)};
    }
    return config;
}

} // namespace

class TestUnitRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void throughUnit_data();
    void throughUnit();
};

void TestUnitRoundTrip::throughUnit_data()
{
    QTest::addColumn<RadioConfig>("source");
    QTest::addColumn<RadioConfig>("expected");
    QTest::addColumn<bool>("bypass");
    QTest::addColumn<int>("errorRecord");

    const RadioConfig fitting = fittingConfig();
    QTest::newRow("every value fits") << fitting << fitting << false << 0;

    // A value byte keeps the low 8 bits and reads back signed; fixed texts
    // keep 16 bytes; RAN 00 and a label starting with a space read as empty.
    RadioConfig overflowing = fitting;
    RadioConfig cut = fitting;
    overflowing.general.dtmfDelay = QStringLiteral("300");
    cut.general.dtmfDelay = QStringLiteral("44");
    overflowing.general.minVolume = QStringLiteral("200");
    cut.general.minVolume = QStringLiteral("-56");
    overflowing.general.serialNumber = QStringLiteral("0123456789ABCDEFGH");
    cut.general.serialNumber = QStringLiteral("0123456789ABCDEF");
    overflowing.general.userDescription = QStringLiteral("Exactly sixteen!");
    cut.general.userDescription = QStringLiteral("Exactly sixteen!");
    overflowing.rows[0].ranTx = QStringLiteral("00");
    cut.rows[0].ranTx.clear();
    overflowing.rows[499].label = QStringLiteral(" leading space");
    cut.rows[499].label.clear();
    QTest::newRow("values cut by their frames") << overflowing << cut << false << 0;

    MainWindow fresh;
    const RadioConfig defaults = ConfigSnapshot::takeConfig(&fresh);
    RadioConfig generalOnly = defaults;
    generalOnly.general = fitting.general;
    QTest::newRow("home bypass") << fitting << generalOnly << true << 0;

    RadioConfig withoutRecord250 = fitting;
    withoutRecord250.rows[249] = defaults.rows.at(249);
    QTest::newRow("record 250 refused") << fitting << withoutRecord250 << false << 250;
}

// A Write from one window into the unit, then a Read from the unit into a
// fresh window, frame by frame as a link would carry them.
void TestUnitRoundTrip::throughUnit()
{
    QFETCH(RadioConfig, source);
    QFETCH(RadioConfig, expected);
    QFETCH(bool, bypass);
    QFETCH(int, errorRecord);

    MainWindow writer;
    ConfigSnapshot::applyConfig(&writer, source);
    MainWindow reader;
    QVERIFY(ConfigSnapshot::takeConfig(&reader) != expected);

    RadioUnit unit;
    unit.eraseRecords();
    if (errorRecord)
        unit.setErrorForRecord(errorRecord);
    const int requests = bypass ? Frames::LastBypassIndex + 1 : Frames::CommandCount;

    LinkDialog writeDialog(&writer);
    writeDialog.homeBypassCheckBox->setChecked(bypass);
    qint32 recordCounter = 1;
    for (int index = 0; index < requests; ++index) {
        const QByteArray answer = unit.answer(Frames::buildWriteFrame(
            index, ConfigSnapshot::takeConfigFor(&writer, index), recordCounter));
        QVERIFY2(!answer.isEmpty(), qPrintable(QString::number(index)));
        writeDialog.showResponse(answer);
    }
    QCOMPARE(writeDialog.transactionCount, requests);
    QCOMPARE(writeDialog.parameterError, errorRecord ? 1 : 0);
    QCOMPARE(writeDialog.statusLabel->text(),
             errorRecord ? QStringLiteral("Channel parameter error detected") : QString());

    LinkDialog readDialog(&reader);
    readDialog.homeBypassCheckBox->setChecked(bypass);
    recordCounter = 1;
    for (int index = 0; index < requests; ++index)
        readDialog.showResponse(unit.answer(Frames::buildReadRequest(index, recordCounter)));
    QCOMPARE(readDialog.transactionCount, requests);
    QCOMPARE(readDialog.parameterError, 0);
    QCOMPARE(unit.requestCount(), 2 * requests);

    const RadioConfig got = ConfigSnapshot::takeConfig(&reader);
    QCOMPARE(got.general, expected.general);
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row) {
        const HomeRow &g = got.rows.at(row);
        const HomeRow &e = expected.rows.at(row);
        QVERIFY2(g == e, qPrintable(QStringLiteral("row %1: %2|%3|%4|%5|%6, expected "
                                                   "%7|%8|%9|%10|%11")
                                        .arg(row)
                                        .arg(g.tx, g.rx, g.ranTx, g.ranRx, g.label)
                                        .arg(e.tx, e.rx, e.ranTx, e.ranRx, e.label)));
    }
}

QTEST_MAIN(TestUnitRoundTrip)
#include "tst_unitroundtrip.moc"
