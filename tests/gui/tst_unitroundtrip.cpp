#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "link/frames.h"
#include "link/linkdialog.h"
#include "unit/radiounit.h"

#include <QLabel>
#include <QtTest>

Q_DECLARE_METATYPE(RadioConfig)

namespace {

// Differs from a fresh window in every widget, and every value fits its frame.
RadioConfig fittingConfig()
{
    RadioConfig config;
    config.general = GeneralSettings{"25",
                                     "-4",
                                     "VR-000123",
                                     "Hump yard north",
                                     "172.16.5.40",
                                     "255.255.252.0",
                                     "172.16.4.1",
                                     0xA5C3,
                                     2,
                                     7};
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row)
        config.rows[row] = HomeRow{QString::number(200 + row), QString::number(201 + row % 700),
                                   QString::number(10 + row % 54), QString::number(63 - row % 50),
                                   QStringLiteral("Track %1").arg(row + 1)};
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

    const RadioConfig fitting = fittingConfig();
    QTest::newRow("every value fits") << fitting << fitting;

    // A value byte keeps the low 8 bits and reads back signed; fixed texts
    // keep 16 bytes; RAN 00 and a label starting with a blank read as empty.
    RadioConfig overflowing = fitting;
    RadioConfig cut = fitting;
    overflowing.general.dtmfDelay = QStringLiteral("300");
    cut.general.dtmfDelay = QStringLiteral("44");
    overflowing.general.minVolume = QStringLiteral("200");
    cut.general.minVolume = QStringLiteral("-56");
    overflowing.general.serialNumber = QStringLiteral("0123456789ABCDEFGH");
    cut.general.serialNumber = QStringLiteral("0123456789ABCDEF");
    overflowing.rows[0].ranTx = QStringLiteral("00");
    cut.rows[0].ranTx.clear();
    overflowing.rows[499].label = QStringLiteral(" leading blank");
    cut.rows[499].label.clear();
    QTest::newRow("values cut by their frames") << overflowing << cut;
}

// A Write from one window into the unit, then a Read from the unit into a
// fresh window, frame by frame as a link carries them.
void TestUnitRoundTrip::throughUnit()
{
    QFETCH(RadioConfig, source);
    QFETCH(RadioConfig, expected);

    MainWindow writer;
    ConfigSnapshot::applyConfig(&writer, source);
    MainWindow reader;
    QVERIFY(ConfigSnapshot::takeConfig(&reader) != expected);
    RadioUnit unit;
    LinkDialog writeDialog(&writer);
    qint32 recordCounter = 1;
    for (int index = 0; index < Frames::CommandCount; ++index)
        writeDialog.showResponse(unit.answer(Frames::buildWriteFrame(
            index, ConfigSnapshot::takeConfigFor(&writer, index), recordCounter)));
    QCOMPARE(writeDialog.statusLabel->text(), QString());

    LinkDialog readDialog(&reader);
    recordCounter = 1;
    for (int index = 0; index < Frames::CommandCount; ++index)
        readDialog.showResponse(unit.answer(Frames::buildReadRequest(index, recordCounter)));
    const RadioConfig got = ConfigSnapshot::takeConfig(&reader);
    QCOMPARE(got.general, expected.general);
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row)
        QVERIFY2(got.rows.at(row) == expected.rows.at(row), qPrintable(QString::number(row)));
}

QTEST_MAIN(TestUnitRoundTrip)
#include "tst_unitroundtrip.moc"
