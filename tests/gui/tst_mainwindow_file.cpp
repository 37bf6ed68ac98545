#include "app/datafile.h"
#include "app/mainwindow.h"
#include "app/messages.h"
#include "tabs/featuretab.h"
#include "tabs/hometab.h"
#include "tabs/networktab.h"
#include "tabs/radiotab.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTableWidgetItem>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Warning = QPair<QString, QString>;
QList<Warning> warnings;

void recordWarnings()
{
    setWarningHandler([](QWidget *, const QString &title, const QString &text) {
        warnings.append(qMakePair(title, text));
    });
}

// The general fields, in file order, from field 3 to field 12.
enum Field
{
    Ip = 2,
    SubnetMask,
    Gateway,
    DtmfDelay,
    MinVolume,
    SerialNumber,
    UserDescription,
    InternalRadio,
    Railroad,
    Checks
};

// A file in which every field that is applied differs from a fresh window.
QStringList everyFieldSet()
{
    QStringList fields{QStringLiteral("Version"), QStringLiteral("100")};
    fields << QStringLiteral("192.168.7.7") << QStringLiteral("255.255.252.0")
           << QStringLiteral("192.168.4.1") << QStringLiteral("15") << QStringLiteral("3")
           << QStringLiteral("SN-000451") << QStringLiteral("Yard \u00e9ast") << QStringLiteral("2")
           << QStringLiteral("7") << QStringLiteral("1000001000010001");
    for (int i = 0; i < DataFile::ReservedCount; ++i)
        fields << QStringLiteral("reserved %1").arg(i);
    for (int row = 0; row < HomeTab::RowCount; ++row) {
        fields << QString::number(300 + row % 189) << QString::number(300 + (row + 1) % 189)
               << QStringLiteral("%1").arg(row % 64, 2, 10, QLatin1Char('0'))
               << QStringLiteral("%1").arg((row + 3) % 64, 2, 10, QLatin1Char('0'))
               << QStringLiteral("Home %1").arg(row);
    }
    return fields;
}

QByteArray bytesOf(const QStringList &fields)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!DataFile::writeFields(&buffer, fields))
        return QByteArray();
    return buffer.data();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

QStringList fieldsIn(const QString &path)
{
    QStringList fields;
    QString error;
    DataFile::loadFields(path, &fields, &error);
    return fields;
}

quint16 boxesWord(const MainWindow &w)
{
    quint16 word = 0;
    for (int bit = 0; bit < 16; ++bit) {
        if (w.featureTab->featureBoxes[bit]->isChecked())
            word |= quint16(1u << bit);
    }
    return word;
}

// Values a test sets before a load, to see whether the load touched them.
void setMarkers(MainWindow &w)
{
    w.networkTab->ipEdit->setText(QStringLiteral("1.1.1.1"));
    w.networkTab->subnetMaskEdit->setText(QStringLiteral("255.0.0.0"));
    w.radioTab->userDescriptionEdit->setText(QStringLiteral("before"));
    w.radioTab->internalRadioCombo->setCurrentIndex(1);
    w.homeTab->items[499][HomeTab::Label]->setText(QStringLiteral("before"));
    w.featureTab->featureBoxes[1]->setChecked(true);
}

QStringList directoryEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The build folder may be closed to other users (a clone in /root, say), so
// the unprivileged helper runs from a copy of this executable.
QString helperExecutable(QTemporaryDir &place)
{
    const QString copy = place.filePath(QStringLiteral("helper"));
    const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                    QFile::ExeOther;
    if (!place.isValid() || !QFile::copy(QCoreApplication::applicationFilePath(), copy) ||
        !QFile::setPermissions(copy, open) || !QFile::setPermissions(place.path(), open))
        return QString();
    return copy;
}

// Runs this executable as helper under an unprivileged user (root passes
// every permission check). Empty result and a reason when that cannot be done.
QJsonObject runUnprivileged(const QStringList &arguments, QString *whyNot)
{
    QProcess process;
    QStringList all{QStringLiteral("--as-helper")};
    all += arguments;
    QTemporaryDir place;
    if (geteuid() == 0) {
        const QString helper = helperExecutable(place);
        if (helper.isEmpty()) {
            *whyNot = QStringLiteral("cannot copy the test executable for the helper");
            return QJsonObject();
        }
        all.prepend(helper);
        all = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                          QStringLiteral("--clear-groups")} +
              all;
        process.start(QStringLiteral("setpriv"), all);
    } else {
        process.start(QCoreApplication::applicationFilePath(), all);
    }
    if (!process.waitForStarted(10000)) {
        *whyNot = QStringLiteral("cannot start the helper: ") + process.errorString();
        return QJsonObject();
    }
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(5000);
        *whyNot = QStringLiteral("the helper did not finish");
        return QJsonObject();
    }
    const QJsonDocument answer = QJsonDocument::fromJson(process.readAllStandardOutput());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        !answer.isObject()) {
        *whyNot = QStringLiteral("the helper could not run as an unprivileged user: ") +
                  QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return QJsonObject();
    }
    const QJsonObject result = answer.object();
    if (result.value(QStringLiteral("uid")).toInt() == 0) {
        *whyNot = QStringLiteral("the helper still runs as root");
        return QJsonObject();
    }
    return result;
}

// Helper side: "load <path>" or "save <current file> <target>"; answers in JSON.
int helperMain(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(2);
    QJsonObject result;
    result.insert(QStringLiteral("uid"), int(getuid()));
    if (args.isEmpty()) {
        fprintf(stdout, "%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
        return 0;
    }
    recordWarnings();
    MainWindow w;
    if (args.value(0) == QLatin1String("load")) {
        w.loadFile(args.value(1));
    } else if (args.value(0) == QLatin1String("save")) {
        w.loadFile(args.value(1));
        w.radioTab->userDescriptionEdit->setText(QStringLiteral("edited"));
        warnings.clear();
        result.insert(QStringLiteral("saved"), w.saveFile(args.value(2)));
    }
    QJsonArray list;
    for (const Warning &warning : qAsConst(warnings))
        list.append(QJsonArray{warning.first, warning.second});
    result.insert(QStringLiteral("warnings"), list);
    result.insert(QStringLiteral("curFile"), w.curFile);
    result.insert(QStringLiteral("ip"), w.networkTab->ipEdit->text());
    fprintf(stdout, "%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    fflush(stdout);
    // The answer is out; skip the teardown, whose leak reports in sanitizer
    // builds would turn the exit code into a failure.
    _exit(0);
}

} // namespace

class TestMainWindowFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void smallestFile_data();
    void smallestFile();
    void roundTrip();
    void byteIdenticalAfterLoad();
    void listIndex_data();
    void listIndex();
    void featureField_data();
    void featureField();
    void refusals_data();
    void refusals();
    void badFiles_data();
    void badFiles();
    void cannotOpen_data();
    void cannotOpen();
    void permissionDenied_data();
    void permissionDenied();
    void fullDisk_data();
    void fullDisk();
    void fileSlots_data();
    void fileSlots();
    void statusMessage_data();
    void statusMessage();

private:
    QTemporaryDir dir;
};

void TestMainWindowFile::init()
{
    warnings.clear();
    recordWarnings();
}

void TestMainWindowFile::cleanup()
{
    setWarningHandler(nullptr);
    for (const QString &name : directoryEntries(dir.path()))
        QFile::remove(dir.filePath(name));
}

void TestMainWindowFile::smallestFile_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("identifier and format number")
        << 0 << QByteArray::fromHex("0000000E00560065007200730069006F006E00000006003100300030");
    QTest::newRow("first list index") << 56 << QByteArray::fromHex("000000020030");
    QTest::newRow("null feature string") << 68 << QByteArray::fromHex("FFFFFFFF");
    QTest::newRow("reserved fields")
        << 72 << QByteArray::fromHex("0000000A0042006C0061006E006B").repeated(10);
}

void TestMainWindowFile::smallestFile()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);
    MainWindow w;
    for (QLineEdit *edit :
         {w.networkTab->ipEdit, w.networkTab->subnetMaskEdit, w.networkTab->gatewayEdit,
          w.radioTab->dtmfDelayEdit, w.radioTab->minVolumeEdit, w.radioTab->serialNumberEdit,
          w.radioTab->userDescriptionEdit})
        edit->setText(QString());
    QCOMPARE(w.radioTab->internalRadioCombo->currentIndex(), 0);
    QCOMPARE(w.radioTab->railroadCombo->currentIndex(), 0);
    const QString path = dir.filePath(QStringLiteral("smallest.dat"));
    QVERIFY(w.saveFile(path));
    const QByteArray bytes = readFile(path);
    // 18 + 10 + 7 * 4 + 2 * 6 + 4 + 10 * 14 + 2500 * 4
    QCOMPARE(bytes.size(), 10212);
    QCOMPARE(bytes.mid(offset, expected.size()).toHex(), expected.toHex());
    QVERIFY(warnings.isEmpty());
}

void TestMainWindowFile::roundTrip()
{
    MainWindow a;
    QVERIFY(!RadioTab::dtmfDelayAcceptable(QStringLiteral("45")));
    QVERIFY(!RadioTab::fixedTextAcceptable(QStringLiteral("a description too long")));
    a.networkTab->ipEdit->setText(QStringLiteral("10.1.2.3"));
    a.networkTab->subnetMaskEdit->setText(QStringLiteral("255.255.0.0"));
    a.networkTab->gatewayEdit->setText(QStringLiteral("10.1.0.1"));
    a.radioTab->dtmfDelayEdit->setText(QStringLiteral("45"));
    a.radioTab->minVolumeEdit->setText(QStringLiteral("12"));
    a.radioTab->serialNumberEdit->setText(QStringLiteral("SN-77"));
    a.radioTab->userDescriptionEdit->setText(QStringLiteral("a description too long"));
    a.radioTab->internalRadioCombo->setCurrentIndex(2);
    a.radioTab->railroadCombo->setCurrentIndex(9);
    for (int bit : {15, 12, 9, 6, 2, 0})
        a.featureTab->featureBoxes[bit]->setChecked(true);
    for (int row = 0; row < HomeTab::RowCount; ++row) {
        for (int column = 0; column < HomeTab::ColumnCount; ++column)
            a.homeTab->items[row][column]->setText(QStringLiteral("%1/%2").arg(row).arg(column));
    }
    const QString first = dir.filePath(QStringLiteral("first.dat"));
    QVERIFY(a.saveFile(first));

    MainWindow b;
    b.loadFile(first);
    QVERIFY(warnings.isEmpty());
    QCOMPARE(b.curFile, first);
    const QLineEdit *edits[][2] = {
        {a.networkTab->ipEdit, b.networkTab->ipEdit},
        {a.networkTab->subnetMaskEdit, b.networkTab->subnetMaskEdit},
        {a.networkTab->gatewayEdit, b.networkTab->gatewayEdit},
        {a.radioTab->dtmfDelayEdit, b.radioTab->dtmfDelayEdit},
        {a.radioTab->minVolumeEdit, b.radioTab->minVolumeEdit},
        {a.radioTab->serialNumberEdit, b.radioTab->serialNumberEdit},
        {a.radioTab->userDescriptionEdit, b.radioTab->userDescriptionEdit},
    };
    for (const auto &pair : edits)
        QCOMPARE(pair[1]->text(), pair[0]->text());
    QCOMPARE(b.radioTab->internalRadioCombo->currentIndex(), 2);
    QCOMPARE(b.radioTab->railroadCombo->currentIndex(), 9);
    QCOMPARE(boxesWord(b), quint16(0x9245));
    QCOMPARE(b.featureTab->checks, QStringLiteral("1001001001000101"));
    for (int row = 0; row < HomeTab::RowCount; ++row) {
        for (int column = 0; column < HomeTab::ColumnCount; ++column)
            QCOMPARE(b.homeTab->items[row][column]->text(),
                     QStringLiteral("%1/%2").arg(row).arg(column));
    }
    // Red values come back red: loading runs the tab's own checks.
    QCOMPARE(b.radioTab->dtmfDelayEdit->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(b.radioTab->userDescriptionEdit->palette().color(QPalette::Text), QColor(Qt::red));

    const QString second = dir.filePath(QStringLiteral("second.dat"));
    QVERIFY(b.saveFile(second));
    QCOMPARE(readFile(second), readFile(first));
}

void TestMainWindowFile::byteIdenticalAfterLoad()
{
    const QStringList handMade = everyFieldSet();
    const QString source = dir.filePath(QStringLiteral("hand-made.dat"));
    QVERIFY(writeFile(source, bytesOf(handMade)));

    MainWindow w;
    w.loadFile(source);
    QVERIFY(warnings.isEmpty());
    const QString target = dir.filePath(QStringLiteral("saved.dat"));
    QVERIFY(w.saveFile(target));

    QStringList expected = handMade;
    for (int i = 0; i < DataFile::ReservedCount; ++i)
        expected[DataFile::ReservedFirst + i] = QStringLiteral("Blank");
    const QByteArray saved = readFile(target);
    QCOMPARE(saved.size(), bytesOf(expected).size());
    QVERIFY(saved == bytesOf(expected));
}

void TestMainWindowFile::listIndex_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("internalRadio");
    QTest::addColumn<int>("railroad");

    QTest::newRow("in the lists") << "2" << 2 << 2;
    QTest::newRow("first entry") << "0" << 0 << 0;
    QTest::newRow("past the short list") << "3" << -1 << 3;
    QTest::newRow("past both lists") << "10" << -1 << -1;
    QTest::newRow("nothing selected") << "-1" << -1 << -1;
    QTest::newRow("negative") << "-7" << -1 << -1;
    QTest::newRow("not a number") << "two" << 0 << 0;
    QTest::newRow("empty") << QString::fromLatin1("") << 0 << 0;
}

void TestMainWindowFile::listIndex()
{
    QFETCH(QString, text);
    QFETCH(int, internalRadio);
    QFETCH(int, railroad);
    QStringList fields = everyFieldSet();
    fields[InternalRadio] = text;
    fields[Railroad] = text;
    const QString path = dir.filePath(QStringLiteral("lists.dat"));
    QVERIFY(writeFile(path, bytesOf(fields)));

    MainWindow w;
    w.radioTab->internalRadioCombo->setCurrentIndex(1);
    w.radioTab->railroadCombo->setCurrentIndex(1);
    w.loadFile(path);
    QVERIFY(warnings.isEmpty());
    QCOMPARE(w.radioTab->internalRadioCombo->currentIndex(), internalRadio);
    QCOMPARE(w.radioTab->railroadCombo->currentIndex(), railroad);

    const QString saved = dir.filePath(QStringLiteral("lists-saved.dat"));
    QVERIFY(w.saveFile(saved));
    const QStringList written = fieldsIn(saved);
    QCOMPARE(written.value(InternalRadio), QString::number(internalRadio));
    QCOMPARE(written.value(Railroad), QString::number(railroad));
}

void TestMainWindowFile::featureField_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("savedChecks");

    const QString null;
    QTest::newRow("null, no box changed yet") << 0 << null << 0 << null;
    QTest::newRow("null after boxes were checked") << 0x0108 << null << 0 << "0000000000000000";
    QTest::newRow("empty") << 0x0001 << QString::fromLatin1("") << 0 << "0000000000000000";
    QTest::newRow("three characters") << 0 << "101" << 0xFFFD << "1111111111111101";
    QTest::newRow("sixteen, hidden bits")
        << 0 << "1000100000001001" << 0x8809 << "1000100000001001";
    QTest::newRow("twenty") << 0 << "11111000000000000111" << 0x8007 << "1000000000000111";
    QTest::newRow("all zero, no box changed yet") << 0 << "0000000000000000" << 0 << null;
}

void TestMainWindowFile::featureField()
{
    QFETCH(int, before);
    QFETCH(QString, text);
    QFETCH(int, word);
    QFETCH(QString, savedChecks);
    QStringList fields = everyFieldSet();
    fields[Checks] = text;
    const QString path = dir.filePath(QStringLiteral("features.dat"));
    QVERIFY(writeFile(path, bytesOf(fields)));

    MainWindow w;
    for (int bit = 0; bit < 16; ++bit) {
        if (before & (1 << bit))
            w.featureTab->featureBoxes[bit]->setChecked(true);
    }
    w.loadFile(path);
    QVERIFY(warnings.isEmpty());
    QCOMPARE(int(boxesWord(w)), word);

    const QString saved = dir.filePath(QStringLiteral("features-saved.dat"));
    QVERIFY(w.saveFile(saved));
    const QString written = fieldsIn(saved).value(Checks);
    QCOMPARE(written.isNull(), savedChecks.isNull());
    QCOMPARE(written, savedChecks);
}

void TestMainWindowFile::refusals_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString loads;
    const QString foreignTitle = QStringLiteral("Incorrect file type");
    const QString foreignText = QStringLiteral("This is not a recognized data file!");
    const QString newerTitle = QStringLiteral("Outdated Program");
    const QString newerText =
        QStringLiteral("A newer version of program is required to load this data file!");
    QTest::newRow("as written") << "Version"
                                << "100" << loads << loads;
    QTest::newRow("identifier inside other text") << "Saved Version 3 file"
                                                  << "100" << loads << loads;
    QTest::newRow("lower case identifier") << "version"
                                           << "100" << foreignTitle << foreignText;
    QTest::newRow("format 101") << "Version"
                                << "101" << newerTitle << newerText;
    QTest::newRow("empty format") << "Version" << QString::fromLatin1("") << loads << loads;
    QTest::newRow("format not a number") << "Version"
                                         << "one hundred" << loads << loads;
    QTest::newRow("identifier tested first") << "Data"
                                             << "101" << foreignTitle << foreignText;
}

void TestMainWindowFile::refusals()
{
    QFETCH(QString, identifier);
    QFETCH(QString, format);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QStringList fields = everyFieldSet();
    fields[0] = identifier;
    fields[1] = format;
    const QString path = dir.filePath(QStringLiteral("header.dat"));
    QVERIFY(writeFile(path, bytesOf(fields)));

    MainWindow w;
    const QString current = dir.filePath(QStringLiteral("current.dat"));
    QVERIFY(w.saveFile(current));
    setMarkers(w);
    w.loadFile(path);
    if (title.isEmpty()) {
        QVERIFY(warnings.isEmpty());
        QCOMPARE(w.curFile, path);
        QCOMPARE(w.networkTab->ipEdit->text(), fields.at(Ip));
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("File loaded"));
    } else {
        QCOMPARE(warnings, QList<Warning>{qMakePair(title, text)});
        QCOMPARE(w.curFile, current);
        QCOMPARE(w.networkTab->ipEdit->text(), QStringLiteral("1.1.1.1"));
        QCOMPARE(w.homeTab->items[499][HomeTab::Label]->text(), QStringLiteral("before"));
    }
}

void TestMainWindowFile::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("subnetMask");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("lastLabel");
    QTest::addColumn<int>("internalRadio");
    QTest::addColumn<int>("features");

    const QStringList fields = everyFieldSet();
    const QByteArray whole = bytesOf(fields);
    const QByteArray header = bytesOf(fields.mid(0, 2));
    const QString empty = QString::fromLatin1("");
    const QString last = fields.last();

    QTest::newRow("zero length") << QByteArray() << false << "1.1.1.1"
                                 << "255.0.0.0"
                                 << "before"
                                 << "before" << 1 << 0x0002;
    // Fields 3 to 8 whole, field 9 cut in its text: the rest loads as empty text.
    const int cut = bytesOf(fields.mid(0, UserDescription)).size() + 4 + 6;
    QTest::newRow("truncated") << whole.left(cut) << true << fields.at(Ip) << fields.at(SubnetMask)
                               << empty << empty << 0 << 0;
    QTest::newRow("huge length prefix") << header + QByteArray::fromHex("7FFFFFF0003100300030")
                                        << true << empty << empty << empty << empty << 0 << 0;
    // The odd count stands for no text; field 4 starts right behind it.
    QTest::newRow("odd byte count")
        << header + QByteArray::fromHex("00000007") + bytesOf(fields.mid(SubnetMask)) << true
        << empty << fields.at(SubnetMask) << fields.at(UserDescription) << last << 2 << 0x8211;

    QStringList broken = fields;
    broken[UserDescription] = QString(QChar(0xDC00)) + QStringLiteral("yard") + QChar(0xD800);
    broken[fields.size() - 1] = QString(QChar(0xD83D));
    QTest::newRow("not valid UTF-16")
        << bytesOf(broken) << true << fields.at(Ip) << fields.at(SubnetMask)
        << broken.at(UserDescription) << broken.last() << 2 << 0x8211;

    QByteArray junk(4 * 1024 * 1024, '\0');
    QRandomGenerator(11).fillRange(reinterpret_cast<quint32 *>(junk.data()), junk.size() / 4);
    QTest::newRow("megabytes of junk at the end")
        << whole + junk << true << fields.at(Ip) << fields.at(SubnetMask)
        << fields.at(UserDescription) << last << 2 << 0x8211;
}

void TestMainWindowFile::badFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, loads);
    QFETCH(QString, ip);
    QFETCH(QString, subnetMask);
    QFETCH(QString, description);
    QFETCH(QString, lastLabel);
    QFETCH(int, internalRadio);
    QFETCH(int, features);
    const QString path = dir.filePath(QStringLiteral("bad.dat"));
    QVERIFY(writeFile(path, bytes));

    MainWindow w;
    setMarkers(w);
    w.loadFile(path);
    if (loads) {
        QVERIFY(warnings.isEmpty());
        QCOMPARE(w.curFile, path);
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("File loaded"));
    } else {
        QCOMPARE(warnings, QList<Warning>{qMakePair(QStringLiteral("Incorrect file type"),
                                                    QStringLiteral("This is not a recognized "
                                                                   "data file!"))});
        QVERIFY(w.curFile.isEmpty());
    }
    QCOMPARE(w.networkTab->ipEdit->text(), ip);
    QCOMPARE(w.networkTab->subnetMaskEdit->text(), subnetMask);
    QCOMPARE(w.radioTab->userDescriptionEdit->text(), description);
    QCOMPARE(w.homeTab->items[499][HomeTab::Label]->text(), lastLabel);
    QCOMPARE(w.radioTab->internalRadioCombo->currentIndex(), internalRadio);
    QCOMPARE(int(boxesWord(w)), features);
}

void TestMainWindowFile::cannotOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");

    // QFile refuses a directory itself, with a message of its own.
    QTest::newRow("directory") << QStringLiteral("folder") << 0;
    QTest::newRow("missing file") << QStringLiteral("missing.dat") << ENOENT;
}

void TestMainWindowFile::cannotOpen()
{
    QFETCH(QString, name);
    QFETCH(int, error);
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder")));
    const QString path = dir.filePath(name);
    const QString reason =
        error ? qt_error_string(error) : QStringLiteral("file to open is a directory");

    MainWindow w;
    setMarkers(w);
    w.loadFile(path);
    QCOMPARE(warnings, QList<Warning>{qMakePair(
                           QStringLiteral("Application"),
                           QStringLiteral("Cannot read file %1:\n%2.").arg(path, reason))});
    QVERIFY(w.curFile.isEmpty());
    QCOMPARE(w.networkTab->ipEdit->text(), QStringLiteral("1.1.1.1"));
    QDir(dir.path()).rmdir(QStringLiteral("folder"));
}

void TestMainWindowFile::permissionDenied_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("target");

    QTest::newRow("unreadable file") << "load"
                                     << "secret.dat";
    QTest::newRow("save over the current file") << "save"
                                                << "config.dat";
    QTest::newRow("save under a new name") << "save"
                                           << "other.dat";
}

void TestMainWindowFile::permissionDenied()
{
    QFETCH(QString, action);
    QFETCH(QString, target);
    // A folder the helper may enter and read but not write; the old file in
    // it could be written in place, which a save must not fall back to.
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("locked")));
    const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFile::Permissions enterable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    QVERIFY(QFile::setPermissions(dir.path(), readable | enterable | QFile::WriteOwner));
    const QString config = folder + QStringLiteral("/config.dat");
    const QByteArray old = bytesOf(everyFieldSet());
    QVERIFY(writeFile(config, old));
    QVERIFY(QFile::setPermissions(config, readable | writable));
    const QString secret = folder + QStringLiteral("/secret.dat");
    QVERIFY(writeFile(secret, old));
    QVERIFY(QFile::setPermissions(secret, QFile::Permissions()));
    QVERIFY(QFile::setPermissions(folder, readable | enterable));
    const QStringList before = directoryEntries(folder);

    const QString path = folder + QLatin1Char('/') + target;
    QString whyNot;
    const QJsonObject answer =
        action == QLatin1String("load")
            ? runUnprivileged({QStringLiteral("load"), path}, &whyNot)
            : runUnprivileged({QStringLiteral("save"), config, path}, &whyNot);
    QFile::setPermissions(folder, readable | enterable | QFile::WriteOwner);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner);
    const QStringList after = directoryEntries(folder);
    const QByteArray configAfter = readFile(config);
    for (const QString &name : after)
        QFile::remove(folder + QLatin1Char('/') + name);
    QDir(dir.path()).rmdir(QStringLiteral("locked"));
    if (answer.isEmpty())
        QSKIP(qPrintable(QStringLiteral("needs an unprivileged user: ") + whyNot));

    const QJsonArray shown = answer.value(QStringLiteral("warnings")).toArray();
    QCOMPARE(shown.size(), 1);
    const QJsonArray box = shown.at(0).toArray();
    QCOMPARE(box.at(0).toString(), QStringLiteral("Application"));
    if (action == QLatin1String("load")) {
        QCOMPARE(box.at(1).toString(),
                 QStringLiteral("Cannot read file %1:\n%2.").arg(path, qt_error_string(EACCES)));
        QVERIFY(answer.value(QStringLiteral("curFile")).toString().isEmpty());
        QCOMPARE(answer.value(QStringLiteral("ip")).toString(),
                 MainWindow().networkTab->ipEdit->text());
    } else {
        const QString text = box.at(1).toString();
        const QString start = QStringLiteral("Cannot write file %1:\n").arg(path);
        QVERIFY2(text.startsWith(start) && text.endsWith(QLatin1Char('.')) &&
                     text.size() > start.size() + 1,
                 qPrintable(text));
        QCOMPARE(answer.value(QStringLiteral("saved")).toBool(true), false);
        QCOMPARE(answer.value(QStringLiteral("curFile")).toString(), config);
    }
    QCOMPARE(after, before);
    QVERIFY(configAfter == old);
}

void TestMainWindowFile::fullDisk_data()
{
    QTest::addColumn<qint64>("limit");

    QTest::newRow("no byte fits") << qint64(0);
    QTest::newRow("cut in the header") << qint64(20);
    QTest::newRow("cut in the table") << qint64(8000);
    QTest::newRow("cut near the end") << qint64(13000);
}

void TestMainWindowFile::fullDisk()
{
    QFETCH(qint64, limit);
    MainWindow w;
    for (int row = 0; row < HomeTab::RowCount; ++row)
        w.homeTab->items[row][HomeTab::Label]->setText(QStringLiteral("label"));
    const QString current = dir.filePath(QStringLiteral("current.dat"));
    const QString target = dir.filePath(QStringLiteral("target.dat"));
    QVERIFY(w.saveFile(target));
    QVERIFY(w.saveFile(current));
    const QByteArray old = readFile(target);
    QVERIFY(old.size() > limit);
    w.radioTab->userDescriptionEdit->setText(QStringLiteral("changed"));

    // The file size limit fails writes past it with EFBIG, as a full disk would.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(limit);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool result = w.saveFile(target);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QVERIFY(!result);
    QCOMPARE(
        warnings,
        QList<Warning>{qMakePair(
            QStringLiteral("Application"),
            QStringLiteral("Cannot write file %1:\n%2.").arg(target, qt_error_string(EFBIG)))});
    QCOMPARE(w.curFile, current);
    QVERIFY(readFile(target) == old);
    QCOMPARE(directoryEntries(dir.path()),
             (QStringList{QStringLiteral("current.dat"), QStringLiteral("target.dat")}));
}

void TestMainWindowFile::fileSlots_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<bool>("hasCurrent");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("saveQuestions");
    QTest::addColumn<int>("openQuestions");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("curFile");

    QTest::newRow("save without a current file asks")
        << "save" << false << true << 1 << 0 << true << "answer.dat";
    QTest::newRow("save without a current file, cancelled")
        << "save" << false << false << 1 << 0 << false << QString();
    QTest::newRow("save with a current file does not ask")
        << "save" << true << true << 0 << 0 << true << "current.dat";
    QTest::newRow("save as asks") << "saveAs" << true << true << 1 << 0 << true << "answer.dat";
    QTest::newRow("save as cancelled")
        << "saveAs" << true << false << 1 << 0 << false << "current.dat";
    QTest::newRow("open") << "open" << true << true << 0 << 1 << false << "answer.dat";
    QTest::newRow("open cancelled") << "open" << true << false << 0 << 1 << false << "current.dat";
}

void TestMainWindowFile::fileSlots()
{
    QFETCH(QString, slot);
    QFETCH(bool, hasCurrent);
    QFETCH(bool, answered);
    QFETCH(int, saveQuestions);
    QFETCH(int, openQuestions);
    QFETCH(bool, result);
    QFETCH(QString, curFile);

    const QString current = dir.filePath(QStringLiteral("current.dat"));
    const QString answer = dir.filePath(QStringLiteral("answer.dat"));
    QStringList answerFields = everyFieldSet();
    QVERIFY(writeFile(answer, bytesOf(answerFields)));
    const QByteArray answerBefore = readFile(answer);

    MainWindow w;
    if (hasCurrent)
        QVERIFY(w.saveFile(current));
    const QByteArray currentBefore = readFile(current);
    w.radioTab->userDescriptionEdit->setText(QStringLiteral("edited"));
    int asked = 0;
    int askedOpen = 0;
    w.askSaveFileName = [&](QWidget *parent) {
        ++asked;
        return parent == &w && answered ? answer : QString();
    };
    w.askOpenFileName = [&](QWidget *parent) {
        ++askedOpen;
        return parent == &w && answered ? answer : QString();
    };

    bool returned = false;
    if (slot == QLatin1String("open"))
        QVERIFY(QMetaObject::invokeMethod(&w, "open", Qt::DirectConnection));
    else
        QVERIFY(QMetaObject::invokeMethod(&w, slot.toLatin1().constData(), Qt::DirectConnection,
                                          Q_RETURN_ARG(bool, returned)));
    QCOMPARE(returned, result);
    QCOMPARE(asked, saveQuestions);
    QCOMPARE(askedOpen, openQuestions);
    QVERIFY(warnings.isEmpty());
    QCOMPARE(w.curFile, curFile.isEmpty() ? QString() : dir.filePath(curFile));

    // Only the file the user chose (or the current one, for Save) was written.
    const QString written = result ? w.curFile : QString();
    QCOMPARE(fieldsIn(answer).value(UserDescription),
             written == answer ? QStringLiteral("edited") : answerFields.at(UserDescription));
    if (written != answer)
        QVERIFY(readFile(answer) == answerBefore);
    if (hasCurrent && written != current)
        QVERIFY(readFile(current) == currentBefore);
    if (written == current)
        QCOMPARE(fieldsIn(current).value(UserDescription), QStringLiteral("edited"));
    if (slot == QLatin1String("open"))
        QCOMPARE(w.radioTab->userDescriptionEdit->text(),
                 answered ? answerFields.at(UserDescription) : QStringLiteral("edited"));
    QCOMPARE(directoryEntries(dir.path()).size(), hasCurrent ? 2 : 1);
}

void TestMainWindowFile::statusMessage_data()
{
    QTest::addColumn<bool>("saving");
    QTest::addColumn<QString>("message");

    QTest::newRow("save") << true << "File saved";
    QTest::newRow("load") << false << "File loaded";
}

void TestMainWindowFile::statusMessage()
{
    QFETCH(bool, saving);
    QFETCH(QString, message);
    const QString path = dir.filePath(QStringLiteral("status.dat"));
    QVERIFY(writeFile(path, bytesOf(everyFieldSet())));
    MainWindow w;
    QSignalSpy changes(w.statusBar(), &QStatusBar::messageChanged);
    QElapsedTimer clock;
    clock.start();
    if (saving)
        QVERIFY(w.saveFile(path));
    else
        w.loadFile(path);
    const qint64 shown = clock.elapsed();
    QCOMPARE(w.statusBar()->currentMessage(), message);
    QCOMPARE(changes.count(), 1);
    // The confirmation clears itself after 2000 ms.
    while (!w.statusBar()->currentMessage().isEmpty() && clock.elapsed() < 6000)
        changes.wait(6000 - int(clock.elapsed()));
    QVERIFY(w.statusBar()->currentMessage().isEmpty());
    // Qt's coarse timers may fire 5 % early.
    QVERIFY2(clock.elapsed() >= 1850 && clock.elapsed() - shown <= 3000,
             qPrintable(QString::number(clock.elapsed())));
}

int main(int argc, char **argv)
{
    if (argc >= 2 && qstrcmp(argv[1], "--as-helper") == 0)
        return helperMain(argc, argv);
    QApplication app(argc, argv);
    TestMainWindowFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow_file.moc"
