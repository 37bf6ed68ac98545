#include "tabs/featuretab.h"
#include "tabs/hometab.h"
#include "tabs/networktab.h"
#include "tabs/radiotab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

namespace {

enum Colour
{
    Black,
    Red
};

// The text colour a field shows, or -1 when the colour groups disagree.
int textColour(const QWidget *widget)
{
    const QPalette palette = widget->palette();
    const QColor active = palette.color(QPalette::Active, QPalette::Text);
    if (palette.color(QPalette::Inactive, QPalette::Text) != active ||
        palette.color(QPalette::Disabled, QPalette::Text) != active)
        return -1;
    if (active == QColor(Qt::black))
        return Black;
    if (active == QColor(Qt::red))
        return Red;
    return -1;
}

int cellColour(const QTableWidgetItem *item)
{
    if (item->foreground().style() == Qt::NoBrush)
        return -1;
    const QColor colour = item->foreground().color();
    return colour == QColor(Qt::black) ? Black : colour == QColor(Qt::red) ? Red : -1;
}

} // namespace

class TabsTest : public QObject
{
    Q_OBJECT

private slots:
    void radioDefaults();
    void radioColours_data();
    void radioColours();
    void radioListsOutOfRange();

    void networkDefaults();
    void networkColours_data();
    void networkColours();
    void networkFieldsIndependent();

    void featureDefaults();
    void featureChecksFollowBoxes_data();
    void featureChecksFollowBoxes();
    void featureSameStateKeepsNull();
    void featureWordRoundTrip();

    void homeLayout();
    void homeRowCheck_data();
    void homeRowCheck();
    void homeBoundaries_data();
    void homeBoundaries();
    void homeFillOnlyFromTx();
    void homeRowSetInOrderKeepsTexts_data();
    void homeRowSetInOrderKeepsTexts();
    void homeRowsAreIndependent();
};

void TabsTest::radioDefaults()
{
    QWidget parent;
    RadioTab tab(&parent);
    QCOMPARE(tab.serialPortIndex, 100);
    QCOMPARE(tab.dtmfDelayEdit->text(), QString("7"));
    QCOMPARE(tab.minVolumeEdit->text(), QString("2"));
    QCOMPARE(tab.serialNumberEdit->text(), QString("Serial Number"));
    QCOMPARE(tab.userDescriptionEdit->text(), QString("Startup Message"));
    for (QLineEdit *edit :
         {tab.dtmfDelayEdit, tab.minVolumeEdit, tab.serialNumberEdit, tab.userDescriptionEdit})
        QCOMPARE(textColour(edit), int(Black));
    QVERIFY(tab.serialNumberEdit->isReadOnly());
    QVERIFY(!tab.userDescriptionEdit->isReadOnly());
    QCOMPARE(tab.serialNumberEdit->styleSheet(), QString("QLineEdit { background: #d3d3d3; } "));
    QCOMPARE(tab.dtmfDelayEdit->styleSheet(), QString("background-color: white"));
    QCOMPARE(tab.railroadCombo->styleSheet(), QString("background-color: white"));

    QCOMPARE(tab.internalRadioCombo->count(), 3);
    QCOMPARE(tab.internalRadioCombo->currentIndex(), 0);
    QCOMPARE(tab.internalRadioCombo->currentText(), QString("NX-700"));
    QCOMPARE(tab.internalRadioCombo->itemText(2), QString("ICOM"));
    QCOMPARE(tab.railroadCombo->count(), 10);
    QCOMPARE(tab.railroadCombo->currentIndex(), 0);
    QCOMPARE(tab.railroadCombo->itemText(0), QString("STANDARD"));
    QCOMPARE(tab.railroadCombo->itemText(9), QString("RAILROAD3"));

    QVERIFY(tab.railroadCombo->isHidden());
    QVERIFY(!tab.internalRadioCombo->isHidden());

    auto *grid = qobject_cast<QGridLayout *>(tab.layout());
    QVERIFY(grid);
    const struct
    {
        QWidget *widget;
        int row, column;
    } cells[] = {{tab.dtmfDelayEdit, 1, 0},      {tab.minVolumeEdit, 3, 0},
                 {tab.serialNumberEdit, 5, 0},   {tab.userDescriptionEdit, 7, 0},
                 {tab.internalRadioCombo, 1, 1}, {tab.railroadCombo, 4, 1}};
    for (const auto &cell : cells) {
        QLayoutItem *item = grid->itemAtPosition(cell.row, cell.column);
        QVERIFY(item);
        QCOMPARE(item->widget(), cell.widget);
    }
    QCOMPARE(tab.dtmfDelayEdit->maximumWidth(), 30);
    QCOMPARE(tab.serialNumberEdit->maximumWidth(), 120);
    QCOMPARE(tab.internalRadioCombo->maximumWidth(), 100);
    QCOMPARE(tab.internalRadioCombo->minimumHeight(), 30);
    QCOMPARE(tab.userDescriptionEdit->minimumHeight(), 25);
}

void TabsTest::radioColours_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour");

    QTest::newRow("dtmf 1") << "dtmf"
                            << "1" << int(Black);
    QTest::newRow("dtmf 20") << "dtmf"
                             << "20" << int(Black);
    QTest::newRow("dtmf 0") << "dtmf"
                            << "0" << int(Red);
    QTest::newRow("dtmf 21") << "dtmf"
                             << "21" << int(Red);
    QTest::newRow("dtmf empty") << "dtmf"
                                << "" << int(Red);
    QTest::newRow("dtmf abc") << "dtmf"
                              << "abc" << int(Red);
    QTest::newRow("dtmf -3") << "dtmf"
                             << "-3" << int(Red);
    QTest::newRow("dtmf 7x") << "dtmf"
                             << "7x" << int(Red);
    QTest::newRow("volume 20") << "volume"
                               << "20" << int(Black);
    QTest::newRow("volume 0") << "volume"
                              << "0" << int(Black);
    QTest::newRow("volume -5") << "volume"
                               << "-5" << int(Black);
    QTest::newRow("volume empty") << "volume"
                                  << "" << int(Black);
    QTest::newRow("volume x") << "volume"
                              << "x" << int(Black);
    QTest::newRow("volume 21") << "volume"
                               << "21" << int(Red);
    QTest::newRow("volume 300") << "volume"
                                << "300" << int(Red);
    QTest::newRow("description 16") << "description"
                                    << "ABCDEFGHIJKLMNOP" << int(Black);
    QTest::newRow("description 17") << "description"
                                    << "ABCDEFGHIJKLMNOPQ" << int(Red);
    QTest::newRow("description empty") << "description"
                                       << "" << int(Black);
    QTest::newRow("serial 16") << "serial"
                               << "1234567890123456" << int(Black);
    QTest::newRow("serial 17") << "serial"
                               << "12345678901234567" << int(Red);
}

void TabsTest::radioColours()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, colour);

    QWidget parent;
    RadioTab tab(&parent);
    QLineEdit *edit = field == "dtmf"          ? tab.dtmfDelayEdit
                      : field == "volume"      ? tab.minVolumeEdit
                      : field == "description" ? tab.userDescriptionEdit
                                               : tab.serialNumberEdit;
    edit->setText(text);
    QCOMPARE(edit->text(), text); // never cut or refused
    QCOMPARE(textColour(edit), colour);
    // The background is left to the style sheet.
    QCOMPARE(edit->palette().color(QPalette::Base), QPalette().color(QPalette::Base));
    // Back to a good value turns the field black again.
    edit->setText(field == "dtmf" ? "5" : "3");
    QCOMPARE(textColour(edit), int(Black));
}

void TabsTest::radioListsOutOfRange()
{
    QWidget parent;
    RadioTab tab(&parent);
    tab.internalRadioCombo->setCurrentIndex(7);
    QCOMPARE(tab.internalRadioCombo->currentIndex(), -1);
    tab.railroadCombo->setCurrentIndex(9);
    QCOMPARE(tab.railroadCombo->currentIndex(), 9);
    tab.railroadCombo->setCurrentIndex(10);
    QCOMPARE(tab.railroadCombo->currentIndex(), -1);
}

void TabsTest::networkDefaults()
{
    QWidget parent;
    NetworkTab tab(&parent);
    QCOMPARE(tab.ipEdit->text(), QString("10.10.9.13"));
    QCOMPARE(tab.subnetMaskEdit->text(), QString("255.255.255.0"));
    QCOMPARE(tab.gatewayEdit->text(), QString("10.10.9.254"));
    for (QLineEdit *edit : {tab.ipEdit, tab.subnetMaskEdit, tab.gatewayEdit}) {
        QCOMPARE(textColour(edit), int(Black));
        QCOMPARE(edit->maximumWidth(), 100);
        QCOMPARE(edit->styleSheet(), QString("background-color: white"));
    }
    auto *column = qobject_cast<QVBoxLayout *>(tab.layout());
    QVERIFY(column);
    QCOMPARE(column->count(), 7);
    QCOMPARE(column->itemAt(1)->widget(), tab.ipEdit);
    QCOMPARE(column->itemAt(3)->widget(), tab.subnetMaskEdit);
    QCOMPARE(column->itemAt(5)->widget(), tab.gatewayEdit);
    QVERIFY(column->itemAt(6)->spacerItem());
    QCOMPARE(column->stretch(6), 1);
}

void TabsTest::networkColours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour");

    QTest::newRow("default") << "10.10.9.13" << int(Black);
    QTest::newRow("zeros") << "0.0.0.0" << int(Black);
    QTest::newRow("octet 255") << "10.10.9.255" << int(Black);
    QTest::newRow("octet 256") << "10.10.9.256" << int(Red);
    QTest::newRow("letter") << "10.10.9.x" << int(Red);
    QTest::newRow("empty") << "" << int(Red);
    QTest::newRow("trailing blank") << "10.10.9.13 " << int(Red);
    QTest::newRow("leading blank") << " 10.10.9.13" << int(Red);
    QTest::newRow("inner blank") << "10.10. 9.13" << int(Red);
    QTest::newRow("ipv6 loopback") << "::1" << int(Black);
    QTest::newRow("ipv6 full") << "fe80::1:2:3:4" << int(Black);
    QTest::newRow("five octets") << "10.10.9.13.1" << int(Red);
}

void TabsTest::networkColours()
{
    QFETCH(QString, text);
    QFETCH(int, colour);

    QWidget parent;
    NetworkTab tab(&parent);
    for (QLineEdit *edit : {tab.ipEdit, tab.subnetMaskEdit, tab.gatewayEdit}) {
        edit->setText(text);
        QCOMPARE(edit->text(), text);
        QCOMPARE(textColour(edit), colour);
    }
}

void TabsTest::networkFieldsIndependent()
{
    QWidget parent;
    NetworkTab tab(&parent);
    tab.ipEdit->setText("10.10.9.x");
    QCOMPARE(textColour(tab.ipEdit), int(Red));
    QCOMPARE(textColour(tab.subnetMaskEdit), int(Black));
    QCOMPARE(textColour(tab.gatewayEdit), int(Black));
    tab.gatewayEdit->setText("");
    QCOMPARE(textColour(tab.subnetMaskEdit), int(Black));
    QCOMPARE(textColour(tab.gatewayEdit), int(Red));
}

void TabsTest::featureDefaults()
{
    QWidget parent;
    FeatureTab tab(&parent);
    QVERIFY(tab.checks.isNull());
    const QString names[16] = {"Enable Dual Head support",
                               "Allow user to adjust audio settings for accessories",
                               "Bit2",
                               "Bit3",
                               "Allow user to adjust NXDN settings",
                               "Use RAN button to enter PLL tones",
                               "Allow user to adjust squelch",
                               "Bit7",
                               "Bit8",
                               "Bit9",
                               "Bit10",
                               "Bit11",
                               "Bit12",
                               "Bit13",
                               "Bit14",
                               "Bit15"};
    auto *grid = qobject_cast<QGridLayout *>(tab.layout());
    QVERIFY(grid);
    QCOMPARE(grid->count(), 5);
    const int rowOfBit[16] = {7, 6, -1, -1, 3, 2, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    for (int bit = 0; bit < 16; ++bit) {
        QCheckBox *box = tab.featureBoxes[bit];
        QVERIFY(box);
        QCOMPARE(box->parentWidget(), &tab);
        QCOMPARE(box->text(), names[bit]);
        QVERIFY(!box->isChecked());
        QCOMPARE(box->isHidden(), rowOfBit[bit] < 0);
        if (rowOfBit[bit] >= 0) {
            QLayoutItem *item = grid->itemAtPosition(rowOfBit[bit], 2);
            QVERIFY(item);
            QCOMPARE(item->widget(), box);
            QCOMPARE(item->alignment(), Qt::AlignLeft);
        }
    }
}

void TabsTest::featureChecksFollowBoxes_data()
{
    QTest::addColumn<QList<int>>("toggles");
    QTest::addColumn<QString>("checks");

    QTest::newRow("dual head") << QList<int>{0} << "0000000000000001";
    QTest::newRow("squelch") << QList<int>{6} << "0000000001000000";
    QTest::newRow("bit15 hidden") << QList<int>{15} << "1000000000000000";
    QTest::newRow("on and off again") << QList<int>{3, 3} << "0000000000000000";
    QTest::newRow("several") << QList<int>{0, 1, 4, 15, 1} << "1000000000010001";
}

void TabsTest::featureChecksFollowBoxes()
{
    QFETCH(QList<int>, toggles);
    QFETCH(QString, checks);

    QWidget parent;
    FeatureTab tab(&parent);
    for (int bit : toggles) {
        tab.featureBoxes[bit]->toggle();
        QCOMPARE(tab.checks.size(), 16);
    }
    QCOMPARE(tab.checks, checks);
}

void TabsTest::featureSameStateKeepsNull()
{
    QWidget parent;
    FeatureTab tab(&parent);
    for (QCheckBox *box : tab.featureBoxes)
        box->setChecked(false);
    tab.setFeatureWord(0);
    QVERIFY(tab.checks.isNull());
    tab.setFeatureWord(0xFFFF);
    QCOMPARE(tab.checks, QString(16, '1'));
    tab.setFeatureWord(0xFFFF);
    QCOMPARE(tab.checks, QString(16, '1'));
}

void TabsTest::featureWordRoundTrip()
{
    QWidget parent;
    FeatureTab tab(&parent);
    for (quint16 word : {quint16(0x8001), quint16(0x0073), quint16(0xA5C3), quint16(0)}) {
        tab.setFeatureWord(word);
        QCOMPARE(tab.featureWord(), word);
        for (int bit = 0; bit < 16; ++bit)
            QCOMPARE(tab.checks.at(15 - bit) == '1', bool(word & (1 << bit)));
    }
}

void TabsTest::homeLayout()
{
    QWidget parent;
    HomeTab tab(&parent);
    QCOMPARE(tab.table->rowCount(), 500);
    QCOMPARE(tab.table->columnCount(), 5);
    QCOMPARE(tab.table->geometry(), QRect(0, 0, 645, 300));
    QCOMPARE(tab.table->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(tab.table->styleSheet(), QString("background-color: white"));
    const QStringList headers = {"TX", "RX", "RAN TX", "RAN RX", "LABEL"};
    const int widths[5] = {100, 100, 100, 100, 195};
    for (int column = 0; column < 5; ++column) {
        QCOMPARE(tab.table->horizontalHeaderItem(column)->text(), headers.at(column));
        QCOMPARE(tab.table->columnWidth(column), widths[column]);
    }
    for (int row : {0, 250, 499}) {
        QCOMPARE(tab.table->rowHeight(row), 20);
        for (int column = 0; column < 5; ++column) {
            QTableWidgetItem *item = tab.items[row][column];
            QCOMPARE(tab.table->item(row, column), item);
            QVERIFY(item->text().isEmpty());
            QCOMPARE(item->foreground().style(), Qt::NoBrush);
            QVERIFY(item->flags() & Qt::ItemIsEditable);
        }
    }
}

void TabsTest::homeRowCheck_data()
{
    // Cells are typed in the order given (column, text); the row must end
    // with the texts and colours listed (R red, B black).
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("colours");

    QTest::newRow("fill high band")
        << QStringList{"0:901"} << QStringList{"901", "901", "01", "01", ""} << "BBBBB";
    QTest::newRow("fill 300") << QStringList{"0:300"} << QStringList{"300", "300", "01", "01", ""}
                              << "RRBBB";
    QTest::newRow("fill 488") << QStringList{"0:488"} << QStringList{"488", "488", "01", "01", ""}
                              << "BBBBB";
    QTest::newRow("fill 939") << QStringList{"0:939"} << QStringList{"939", "939", "01", "01", ""}
                              << "BBBBB";
    QTest::newRow("fill low band, no RAN")
        << QStringList{"0:50"} << QStringList{"50", "50", "", "", ""} << "BBRRB";
    QTest::newRow("fill 940 no RAN")
        << QStringList{"0:940"} << QStringList{"940", "940", "", "", ""} << "RRRRB";
    QTest::newRow("fill 899 no RAN")
        << QStringList{"0:899"} << QStringList{"899", "899", "", "", ""} << "RRRRB";
    QTest::newRow("no fill when RX set")
        << QStringList{"1:50", "0:350"} << QStringList{"350", "50", "", "", ""} << "RRRRB";
    QTest::newRow("no fill when RAN TX set")
        << QStringList{"2:05", "0:901"} << QStringList{"901", "", "05", "", ""} << "RRBRB";
    QTest::newRow("no fill when RAN RX set")
        << QStringList{"3:07", "0:820"} << QStringList{"820", "", "", "07", ""} << "BRRBB";
    QTest::newRow("150 invalid") << QStringList{"0:150"} << QStringList{"150", "150", "", "", ""}
                                 << "RRRRB";
    QTest::newRow("301 invalid") << QStringList{"0:301", "2:01", "3:01"}
                                 << QStringList{"301", "301", "01", "01", ""} << "RRBBB";
    QTest::newRow("302 pair") << QStringList{"0:302"} << QStringList{"302", "302", "01", "01", ""}
                              << "BBBBB";
    QTest::newRow("4 invalid, 5 valid")
        << QStringList{"0:4", "1:5"} << QStringList{"4", "5", "", "", ""} << "RBRRB";
    QTest::newRow("97 valid, 98 invalid")
        << QStringList{"0:97", "1:98"} << QStringList{"97", "98", "", "", ""} << "BRRRB";
    QTest::newRow("low RAN 39") << QStringList{"0:820", "2:39", "3:00"}
                                << QStringList{"820", "820", "39", "00", ""} << "BBBBB";
    QTest::newRow("low RAN 40") << QStringList{"0:820", "2:40", "3:39"}
                                << QStringList{"820", "820", "40", "39", ""} << "BBRBB";
    QTest::newRow("high RAN 63") << QStringList{"0:420", "2:63", "3:64"}
                                 << QStringList{"420", "420", "63", "64", ""} << "BBBRB";
    QTest::newRow("other band RAN 63") << QStringList{"0:500", "2:63", "3:64"}
                                       << QStringList{"500", "500", "63", "64", ""} << "RRBRB";
    QTest::newRow("RAN three chars") << QStringList{"0:10", "2:005", "3:5"}
                                     << QStringList{"10", "10", "005", "5", ""} << "BBRRB";
    QTest::newRow("RAN two letters") << QStringList{"0:10", "2:ab", "3:-1"}
                                     << QStringList{"10", "10", "ab", "-1", ""} << "BBBBB";
    QTest::newRow("250 with 350") << QStringList{"1:350", "0:250"}
                                  << QStringList{"250", "350", "", "", ""} << "RRRRB";
    QTest::newRow("250 with 50") << QStringList{"1:50", "0:250"}
                                 << QStringList{"250", "50", "", "", ""} << "RBRRB";
    QTest::newRow("low with 840") << QStringList{"1:840", "0:50"}
                                  << QStringList{"50", "840", "", "", ""} << "RRRRB";
    QTest::newRow("low with 800") << QStringList{"1:800", "0:50"}
                                  << QStringList{"50", "800", "", "", ""} << "BBRRB";
    QTest::newRow("low with 300") << QStringList{"1:300", "0:50"}
                                  << QStringList{"50", "300", "", "", ""} << "BRRRB";
    QTest::newRow("high with 800")
        << QStringList{"1:800", "0:901"} << QStringList{"901", "800", "", "", ""} << "RRRRB";
    QTest::newRow("other band never mismatched")
        << QStringList{"1:901", "0:600"} << QStringList{"600", "901", "", "", ""} << "RBRRB";
    QTest::newRow("empty TX is low band")
        << QStringList{"1:350", "2:39"} << QStringList{"", "350", "39", "", ""} << "RRBRB";
    QTest::newRow("label 16") << QStringList{"0:10", "4:ABCDEFGHIJKLMNOP"}
                              << QStringList{"10", "10", "", "", "ABCDEFGHIJKLMNOP"} << "BBRRB";
    QTest::newRow("label 17") << QStringList{"0:10", "4:ABCDEFGHIJKLMNOPQ"}
                              << QStringList{"10", "10", "", "", "ABCDEFGHIJKLMNOPQ"} << "BBRRR";
    QTest::newRow("TX changed again keeps fill")
        << QStringList{"0:901", "0:50"} << QStringList{"50", "901", "01", "01", ""} << "RRBBB";
}

void TabsTest::homeRowCheck()
{
    QFETCH(QStringList, edits);
    QFETCH(QStringList, texts);
    QFETCH(QString, colours);

    QWidget parent;
    HomeTab tab(&parent);
    const int row = 123;
    for (const QString &edit : edits) {
        const int colon = edit.indexOf(':');
        tab.items[row][edit.left(colon).toInt()]->setText(edit.mid(colon + 1));
    }
    for (int column = 0; column < 5; ++column) {
        QCOMPARE(tab.items[row][column]->text(), texts.at(column));
        QCOMPARE(cellColour(tab.items[row][column]),
                 colours.at(column) == 'R' ? int(Red) : int(Black));
    }
}

void TabsTest::homeBoundaries_data()
{
    // TX typed into an empty row: RX follows it, so the pair always matches
    // and TX's colour is the validity of the number alone.
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("highBand"); // RAN cells filled with "01"
    QTest::addColumn<bool>("ran40");    // a RAN of 40 is within the band's limit

    const struct
    {
        int channel;
        bool valid, high, ran40;
    } rows[] = {{-1, false, false, false}, {4, false, false, false},  {5, true, false, false},
                {97, true, false, false},  {98, false, false, false}, {299, false, false, false},
                {300, false, true, true},  {301, false, true, true},  {302, true, true, true},
                {488, true, true, true},   {489, false, false, true}, {799, false, false, true},
                {800, true, false, false}, {839, true, false, false}, {840, false, false, true},
                {899, false, false, true}, {900, true, true, true},   {939, true, true, true},
                {940, false, false, true}};
    for (const auto &row : rows)
        QTest::addRow("%d", row.channel) << row.channel << row.valid << row.high << row.ran40;
}

void TabsTest::homeBoundaries()
{
    QFETCH(int, channel);
    QFETCH(bool, valid);
    QFETCH(bool, highBand);
    QFETCH(bool, ran40);

    QWidget parent;
    HomeTab tab(&parent);
    QTableWidgetItem *const *cells = tab.items[0];
    cells[HomeTab::Tx]->setText(QString::number(channel));
    QCOMPARE(cells[HomeTab::Rx]->text(), QString::number(channel));
    QCOMPARE(cellColour(cells[HomeTab::Tx]), valid ? int(Black) : int(Red));
    QCOMPARE(cellColour(cells[HomeTab::Rx]), valid ? int(Black) : int(Red));
    QCOMPARE(cells[HomeTab::RanTx]->text(), highBand ? QString("01") : QString());
    cells[HomeTab::RanTx]->setText("40");
    QCOMPARE(cellColour(cells[HomeTab::RanTx]), ran40 ? int(Black) : int(Red));
    QCOMPARE(HomeTab::channelValid(channel), valid);
}

void TabsTest::homeFillOnlyFromTx()
{
    QWidget parent;
    HomeTab tab(&parent);
    tab.items[0][HomeTab::Rx]->setText("901");
    QCOMPARE(tab.items[0][HomeTab::Tx]->text(), QString());
    QCOMPARE(tab.items[0][HomeTab::RanTx]->text(), QString());
    // Clearing RX again must not bring the fill back through a colour change of TX.
    tab.items[0][HomeTab::Tx]->setText("50");
    tab.items[0][HomeTab::Rx]->setText("350");
    QCOMPARE(cellColour(tab.items[0][HomeTab::Tx]), int(Red));
    tab.items[0][HomeTab::Rx]->setText("");
    QCOMPARE(cellColour(tab.items[0][HomeTab::Tx]), int(Black));
    QCOMPARE(tab.items[0][HomeTab::Rx]->text(), QString(""));
}

void TabsTest::homeRowSetInOrderKeepsTexts_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("decoded");

    const QStringList empty{"", "", "", "", ""};
    QTest::newRow("empty row, full answer")
        << empty << QStringList{"901", "901", "01", "01", "YARD"};
    QTest::newRow("empty row, fill overwritten") << empty << QStringList{"901", "", "", "", "MAIN"};
    QTest::newRow("empty row, RAN differs") << empty << QStringList{"420", "302", "63", "", ""};
    QTest::newRow("low row, fill of RX only") << empty << QStringList{"50", "820", "", "", "X"};
    QTest::newRow("mismatched row cleared")
        << QStringList{"350", "50", "", "", ""} << QStringList{"50", "", "", "", ""};
    QTest::newRow("full row emptied")
        << QStringList{"901", "901", "01", "01", "OLD"} << QStringList{"", "", "", "", ""};
    QTest::newRow("full row replaced") << QStringList{"901", "901", "01", "01", "OLD"}
                                       << QStringList{"820", "820", "", "39", "NEW"};
}

void TabsTest::homeRowSetInOrderKeepsTexts()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, decoded);

    QWidget parent;
    HomeTab tab(&parent);
    const int row = 7;
    for (int column = 4; column >= 0; --column)
        tab.items[row][column]->setText(before.at(column));
    const QString texts[5] = {decoded.at(0), decoded.at(1), decoded.at(2), decoded.at(3),
                              decoded.at(4)};
    tab.setRow(row, texts);
    for (int column = 0; column < 5; ++column)
        QCOMPARE(tab.items[row][column]->text(), decoded.at(column));
}

void TabsTest::homeRowsAreIndependent()
{
    QWidget parent;
    HomeTab tab(&parent);
    tab.items[10][HomeTab::Tx]->setText("901");
    QCOMPARE(tab.items[11][HomeTab::Rx]->text(), QString());
    QCOMPARE(tab.items[9][HomeTab::Rx]->text(), QString());
    QCOMPARE(tab.items[11][HomeTab::Tx]->foreground().style(), Qt::NoBrush);
    QCOMPARE(tab.items[499][HomeTab::Tx]->foreground().style(), Qt::NoBrush);
    tab.items[499][HomeTab::Label]->setText("END");
    QCOMPARE(cellColour(tab.items[499][HomeTab::Label]), int(Black));
    QCOMPARE(cellColour(tab.items[499][HomeTab::Tx]), int(Red));
}

QTEST_MAIN(TabsTest)
#include "tst_tabs.moc"
