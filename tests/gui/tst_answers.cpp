#include "app/datafile.h"
#include "app/mainwindow.h"
#include "link/answers.h"
#include "link/configsnapshot.h"
#include "link/configtarget.h"
#include "link/linkdialog.h"
#include "tabs/featuretab.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray record(int number, const QByteArray &body)
{
    QByteArray bytes = QByteArray::fromHex("3302");
    bytes.append(char(number >> 8)).append(char(number & 0xFF)).append(body);
    return bytes.leftJustified(30, '\0', true);
}

// Every value an answer can set, as the data file lays them out: field n at
// n - 1, the bit string "~" while null, cell (r, c) at 22 + 5r + c.
QStringList valuesOf(const MainWindow &window)
{
    const QString checks = window.featureTab->checks;
    return DataFile::fieldsFromConfig(ConfigSnapshot::takeConfig(&window),
                                      checks.isNull() ? QStringLiteral("~") : checks);
}

} // namespace

class TestAnswers : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void sameAsModel_data();
    void sameAsModel();
};

void TestAnswers::decode_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("first");
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("status");

    // first: where the values that change begin in valuesOf(), -1 for none;
    // several values are separated by "|".
    const QByteArray yard = "901901"
                            "0101"
                            "YARD";
    // clang-format off
    QTest::newRow("dtmf -123") << QByteArray::fromHex("360285") << 5 << "-123" << "";
    QTest::newRow("serial ABC") << QByteArray::fromHex("3702414243") + QByteArray(13, '\0') << 7 << "ABC" << "";
    QTest::newRow("description bad UTF-8") << "\x3c\x02" + QByteArray("A\xff").leftJustified(16, '\0') << 8 << "A\ufffd" << "";
    QTest::newRow("ip emptied") << QByteArray::fromHex("4e0200") << 2 << "" << "";
    QTest::newRow("features 8001") << QByteArray::fromHex("50028001") << 11 << "1000000000000001" << "";
    QTest::newRow("features 0 leave the bit string null") << QByteArray::fromHex("50020000") << -1 << "" << "";
    QTest::newRow("internal radio none") << QByteArray::fromHex("3902ff") << 9 << "-1" << "";
    QTest::newRow("record 1") << record(1, yard) << 22 << "901|901|01|01|YARD" << "";
    QTest::newRow("record 500") << record(500, "820820" "0139" "END") << 22 + 5 * 499 << "820|820|01|39|END" << "";
    QTest::newRow("record 2, RAN 00 and label blank") << record(2, "901901" "0000" " YARD") << 27 << "901|901|||" << "";
    QTest::newRow("record 3 unprogrammed") << record(3, "\xff" "01901" "0101" "YARD") << 32 << "||||" << "";
    QTest::newRow("record 4 beats the fill") << record(4, QByteArray("901\0\0\0" "0000" "\xff", 11)) << 37 << "901||||" << "";
    QTest::newRow("record 0") << record(0, yard) << -1 << "" << "";
    QTest::newRow("record 501") << record(501, yard) << -1 << "" << "";
    QTest::newRow("record of 29 bytes") << record(1, yard).left(29) << -1 << "" << "";
    QTest::newRow("dtmf of 4 bytes") << QByteArray::fromHex("36020700") << -1 << "" << "";
    QTest::newRow("features of 3 bytes") << QByteArray::fromHex("500280") << -1 << "" << "";
    QTest::newRow("address sub-code 3") << QByteArray::fromHex("4e0203") + "1.2.3.4" << -1 << "" << "";
    QTest::newRow("direction 3") << QByteArray::fromHex("360307") << -1 << "" << "";
    QTest::newRow("write refused") << QByteArray::fromHex("360101") << -1 << "" << "Parameter error detected";
    QTest::newRow("address refused") << QByteArray::fromHex("4e010201") << -1 << "" << "IP parameter error detected";
    QTest::newRow("record refused") << QByteArray::fromHex("3301000501") << -1 << "" << "Channel parameter error detected";
    // clang-format on
}

void TestAnswers::decode()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, first);
    QFETCH(QString, values);
    QFETCH(QString, status);

    MainWindow window;
    // Something in every row an answer could reach, so that emptying shows.
    for (int row : {0, 1, 2, 3, 499})
        ConfigSnapshot::applyRow(&window, row, HomeRow{"50", "50", "10", "10", "OLD"});
    QStringList expected = valuesOf(window);
    const QStringList changed = values.split(QLatin1Char('|'));
    for (int i = 0; first >= 0 && i < changed.size(); ++i)
        expected[first + i] = changed.at(i);
    LinkDialog dialog(&window);
    dialog.showResponse(answer);
    QCOMPARE(valuesOf(window), expected);
    QCOMPARE(dialog.statusLabel->text(), status);
    QCOMPARE(dialog.parameterError, status.isEmpty() ? 0 : 1);
    QCOMPARE(dialog.transactionCount, 1);
}

// The command line's ConfigModel must save what the window saves after the
// same answers: every rule of the tabs it copies is checked here.
void TestAnswers::sameAsModel_data()
{
    QTest::addColumn<bool>("nullTexts"); // a data file of null texts opened first
    QTest::addColumn<QList<QByteArray>>("answers");
    const QByteArray yard = "901901"
                            "0101"
                            "YARD";
    // clang-format off
    QTest::newRow("repeated answers") << false << QList<QByteArray>{QByteArray::fromHex("360207"), QByteArray::fromHex("360207"), record(1, yard), record(1, yard), QByteArray::fromHex("50020001"), QByteArray::fromHex("50020001")};
    QTest::newRow("indexes one past the end") << false << QList<QByteArray>{QByteArray::fromHex("390203"), QByteArray::fromHex("3e020a")};
    QTest::newRow("indexes far out and back") << false << QList<QByteArray>{QByteArray::fromHex("39027f"), QByteArray::fromHex("3e0280"), QByteArray::fromHex("390201")};
    QTest::newRow("null texts, then answers") << true << QList<QByteArray>{QByteArray::fromHex("4e0200"), record(2, QByteArray("\0\0\0\0\0\0" "0000", 10))};
    QTest::newRow("null texts alone") << true << QList<QByteArray>{};
    QTest::newRow("row set twice, RAN emptied then 00") << false << QList<QByteArray>{record(3, QByteArray("901901" "\0\0\0\0", 10)), record(3, "901901" "0000")};
    QTest::newRow("row set twice, TX only then whole") << false << QList<QByteArray>{record(4, QByteArray("901\0\0\0" "0000", 10)), record(4, yard)};
    // clang-format on
}

void TestAnswers::sameAsModel()
{
    QFETCH(bool, nullTexts);
    QFETCH(QList<QByteArray>, answers);
    MainWindow window;
    ConfigModel model;
    if (nullTexts) {
        RadioConfig nulls;
        nulls.general.ip = nulls.general.dtmfDelay = nulls.general.userDescription = QString();
        nulls.rows[1] = HomeRow{QString(), "5", QString(), QString(), QString()};
        ConfigSnapshot::applyConfig(&window, nulls);
        applyConfig(nulls, model);
    }
    LinkDialog dialog(&window);
    for (const QByteArray &answer : answers) {
        dialog.showResponse(answer);
        applyAnswer(parseAnswer(answer), model);
    }
    QTemporaryDir dir;
    QVERIFY(window.saveFile(dir.filePath("window.cfg")));
    QStringList saved;
    QString error;
    QVERIFY(DataFile::loadFields(dir.filePath("window.cfg"), &saved, &error));
    const QStringList fields = model.fields();
    QCOMPARE(fields.size(), saved.size());
    for (int field = 0; field < saved.size(); ++field) {
        if (fields.at(field) != saved.at(field) ||
            fields.at(field).isNull() != saved.at(field).isNull())
            QFAIL(qPrintable(QString("field %1: model \"%2\"%3, window \"%4\"%5")
                                 .arg(field)
                                 .arg(fields.at(field), fields.at(field).isNull() ? " (null)" : "",
                                      saved.at(field), saved.at(field).isNull() ? " (null)" : "")));
    }
}

QTEST_MAIN(TestAnswers)
#include "tst_answers.moc"
