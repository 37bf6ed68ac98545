#include "tabs/featuretab.h"
#include "tabs/hometab.h"
#include "tabs/networktab.h"
#include "tabs/radiotab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidgetItem>
#include <QTest>

namespace {

// 'B' or 'R' for a black or red text in every colour group, '?' otherwise.
char colourOf(const QColor &colour)
{
    return colour == QColor(Qt::black) ? 'B' : colour == QColor(Qt::red) ? 'R' : '?';
}

char textColour(const QWidget *widget)
{
    const QPalette p = widget->palette();
    const QColor text = p.color(QPalette::Text);
    const bool everywhere = p.color(QPalette::Inactive, QPalette::Text) == text &&
                            p.color(QPalette::Disabled, QPalette::Text) == text;
    return everywhere ? colourOf(text) : '?';
}

} // namespace

class TestTabs : public QObject
{
    Q_OBJECT

private slots:
    void fieldColours_data();
    void fieldColours();
    void homeRows_data();
    void homeRows();
    void hiddenAndShown();
};

void TestTabs::fieldColours_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<char>("colour");

    enum
    {
        Dtmf,
        Volume,
        Serial,
        Description,
        Ip,
        Mask,
        Gateway
    };
    // clang-format off
    QTest::newRow("dtmf 1") << int(Dtmf) << "1" << 'B';
    QTest::newRow("dtmf 20 between no-break spaces") << int(Dtmf) << "\u00a020\u00a0" << 'B';
    QTest::newRow("dtmf 0") << int(Dtmf) << "0" << 'R';
    QTest::newRow("dtmf 21") << int(Dtmf) << "21" << 'R';
    QTest::newRow("volume 20") << int(Volume) << "20" << 'B';
    QTest::newRow("volume 21") << int(Volume) << "21" << 'R';
    QTest::newRow("serial of 17") << int(Serial) << "0123456789ABCDEFG" << 'R';
    QTest::newRow("description of 17") << int(Description) << "0123456789ABCDEFG" << 'R';
    QTest::newRow("ip octet 256") << int(Ip) << "10.10.9.256" << 'R';
    QTest::newRow("ip empty") << int(Ip) << "" << 'R';
    QTest::newRow("ip trailing blank") << int(Ip) << "10.10.9.13 " << 'R';
    QTest::newRow("ip IPv6 loopback") << int(Ip) << "::1" << 'B';
    QTest::newRow("mask of five octets") << int(Mask) << "255.255.0.0.0" << 'R';
    QTest::newRow("gateway empty") << int(Gateway) << "" << 'R';
    // clang-format on
}

void TestTabs::fieldColours()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(char, colour);

    RadioTab radio(nullptr);
    NetworkTab network(nullptr);
    QLineEdit *edits[] = {radio.dtmfDelayEdit,       radio.minVolumeEdit, radio.serialNumberEdit,
                          radio.userDescriptionEdit, network.ipEdit,      network.subnetMaskEdit,
                          network.gatewayEdit};
    edits[field]->setText(text);
    // Each field is coloured by its own check, and only its own.
    for (int other = 0; other < 7; ++other)
        QCOMPARE(textColour(edits[other]), other == field ? colour : 'B');
}

void TestTabs::homeRows_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("texts");
    QTest::addColumn<QString>("colours");

    // Typed is "column=text" in the order the cells are set, or "*=" and the
    // five texts of a row set whole, as a file or a Read sets it.
    // clang-format off
    QTest::newRow("901 fills RX and both RAN") << "0=901" << "901|901|01|01|" << "BBBBB";
    QTest::newRow("50 fills RX only") << "0=50" << "50|50|||" << "BBRRB";
    QTest::newRow("no fill once RX holds text") << "1=50;0=350" << "350|50|||" << "RRRRB";
    QTest::newRow("no fill once RAN RX holds text") << "3=01;0=901" << "901|||01|" << "RRRBB";
    QTest::newRow("set whole, bad channel") << "*=150|150|01|01|" << "150|150|01|01|" << "RRBBB";
    QTest::newRow("no fill from another column") << "1=901" << "|901|||" << "RRRRB";
    QTest::newRow("no fill when emptying RX recolours TX") << "0=50;1=350;1=" << "50||||" << "BRRRB";
    QTest::newRow("301 is no channel") << "0=301" << "301|301|01|01|" << "RRBBB";
    QTest::newRow("302 with 302") << "0=302" << "302|302|01|01|" << "BBBBB";
    QTest::newRow("label of 16") << "0=5;4=0123456789ABCDEF" << "5|5|||0123456789ABCDEF" << "BBRRB";
    QTest::newRow("label of 17") << "0=5;4=0123456789ABCDEFG" << "5|5|||0123456789ABCDEFG" << "BBRRR";
    QTest::newRow("tx 4 is no channel") << "1=5;0=4;2=39;3=39" << "4|5|39|39|" << "RBBBB";
    QTest::newRow("tx 97, rx 98") << "1=98;0=97;2=39;3=39" << "97|98|39|39|" << "BRBBB";
    QTest::newRow("tx 299 low band") << "1=5;0=299;2=40;3=39" << "299|5|40|39|" << "RBRBB";
    QTest::newRow("tx 300 high band") << "1=300;0=300;2=40;3=63" << "300|300|40|63|" << "RRBBB";
    QTest::newRow("tx 489 no band") << "1=5;0=489;2=40;3=63" << "489|5|40|63|" << "RBBBB";
    QTest::newRow("tx 799 no band") << "1=901;0=799;2=40;3=63" << "799|901|40|63|" << "RBBBB";
    QTest::newRow("tx 800 low band") << "1=5;0=800;2=40;3=39" << "800|5|40|39|" << "BBRBB";
    QTest::newRow("tx 839 low band") << "1=839;0=839;2=40;3=39" << "839|839|40|39|" << "BBRBB";
    QTest::newRow("tx 840 no band") << "1=5;0=840;2=40;3=63" << "840|5|40|63|" << "RBBBB";
    QTest::newRow("tx 900 high band after an em space") << "1=900;0=\u2003900;2=40;3=64" << "\u2003900|900|40|64|" << "BBBRB";
    QTest::newRow("tx 940 no band") << "1=5;0=940;2=40;3=63" << "940|5|40|63|" << "RBBBB";
    QTest::newRow("low tx, rx 300") << "1=300;0=5" << "5|300|||" << "BRRRB";
    QTest::newRow("low tx, rx 301") << "1=301;0=5" << "5|301|||" << "RRRRB";
    QTest::newRow("low tx, rx 840") << "1=840;0=5" << "5|840|||" << "RRRRB";
    QTest::newRow("high tx, rx 299") << "1=299;0=900;2=01;3=01" << "900|299|01|01|" << "RRBBB";
    QTest::newRow("high tx, rx 940") << "1=940;0=900;2=01;3=01" << "900|940|01|01|" << "RRBBB";
    // clang-format on
}

void TestTabs::homeRows()
{
    QFETCH(QString, typed);
    QFETCH(QString, texts);
    QFETCH(QString, colours);

    HomeTab tab(nullptr);
    const int row = 321;
    for (const QString &step : typed.split(QLatin1Char(';'))) {
        const QStringList whole = step.mid(2).split(QLatin1Char('|'));
        if (step.startsWith(QLatin1Char('*')))
            tab.setRow(row, {whole[0], whole[1], whole[2], whole[3], whole[4]});
        else
            tab.items[row][step.left(1).toInt()]->setText(step.mid(2));
    }
    QStringList gotTexts;
    QString gotColours;
    for (QTableWidgetItem *cell : tab.items[row]) {
        gotTexts << cell->text();
        gotColours += QLatin1Char(colourOf(cell->foreground().color()));
    }
    QCOMPARE(gotTexts.join(QLatin1Char('|')), texts);
    QCOMPARE(gotColours, colours);
    // Its neighbours are left alone.
    QVERIFY(tab.items[row - 1][0]->foreground() == tab.items[row + 1][4]->foreground());
}

void TestTabs::hiddenAndShown()
{
    RadioTab radio(nullptr);
    radio.show();
    QVERIFY(radio.internalRadioCombo->isVisible() && !radio.railroadCombo->isVisible());
    FeatureTab features(nullptr);
    features.show();
    for (int bit = 0; bit < 16; ++bit)
        QCOMPARE(features.featureBoxes[bit]->isVisible(), bit <= 1 || (bit >= 4 && bit <= 6));
    QVERIFY(features.checks.isNull());
    features.featureBoxes[12]->setChecked(true);
    QCOMPARE(features.checks, QStringLiteral("0001000000000000"));
    features.featureBoxes[12]->setChecked(false);
    QCOMPARE(features.checks, QStringLiteral("0000000000000000"));
}

QTEST_MAIN(TestTabs)
#include "tst_tabs.moc"
