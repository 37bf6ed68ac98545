#include "app/datafile.h"
#include "app/mainwindow.h"
#include "app/messages.h"
#include "link/configsnapshot.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList warnings;

// Field n (counting from 1, as a maintainer reads the format) set to value;
// "~" is a null string.
QStringList with(QStringList fields, int n, const QString &value)
{
    while (fields.size() < n)
        fields << QString::fromLatin1("");
    fields[n - 1] = value == QLatin1String("~") ? QString() : value;
    return fields;
}

// The reserved fields as the tool writes them.
QStringList blanked(QStringList fields)
{
    for (int i = 0; i < DataFile::ReservedCount; ++i)
        fields[DataFile::ReservedFirst + i] = QStringLiteral("Blank");
    return fields;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void openThenSave_data();
    void openThenSave();
    void saveAs();
    void crossVersion();

private:
    QTemporaryDir dir;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(dir.isValid());
    setWarningHandler([](QWidget *, const QString &title, const QString &text) {
        warnings << title + QLatin1Char('/') + text;
    });
}

void TestMainWindow::openThenSave_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QStringList>("saved");

    // Every applied field differs from a fresh window; the reserved fields
    // hold what a newer tool might put there.
    QStringList all = DataFile::fieldsFromConfig(sampleConfig(), "1000001000010001");
    for (int i = 0; i < DataFile::ReservedCount; ++i)
        all[DataFile::ReservedFirst + i] = QStringLiteral("reserved %1").arg(i);
    const QStringList saved = blanked(all);
    const QStringList cut = {"Version", "100", "1.2.3.4", "255.0.0.0"};
    // The rest of a file cut short reads as empty: lists at 0, no box changed.
    const QStringList cutSaved =
        blanked(with(with(with(with(cut, 2522, ""), 10, "0"), 11, "0"), 12, "~"));
    const QString unknown =
        QStringLiteral("Incorrect file type/This is not a recognized data file!");
    const QString newer = QStringLiteral(
        "Outdated Program/A newer version of program is required to load this data file!");
    // clang-format off
    QTest::newRow("every field set") << bytesOf(all) << "" << saved;
    QTest::newRow("red values kept") << bytesOf(with(with(all, 6, "0"), 27, "10.10.9.256")) << "" << with(with(saved, 6, "0"), 27, "10.10.9.256");
    QTest::newRow("identifier inside other text") << bytesOf(with(all, 1, "my Version 2")) << "" << saved;
    QTest::newRow("format not a number") << bytesOf(with(all, 2, "new")) << "" << saved;
    QTest::newRow("list index beyond the list") << bytesOf(with(with(all, 10, "5"), 11, "x")) << "" << with(with(saved, 10, "-1"), 11, "0");
    QTest::newRow("bit string 101") << bytesOf(with(all, 12, "101")) << "" << with(saved, 12, "1111111111111101");
    QTest::newRow("bit string of 20") << bytesOf(with(all, 12, "10000000000000000001")) << "" << with(saved, 12, "1000000000000001");
    QTest::newRow("bit string null") << bytesOf(with(all, 12, "~")) << "" << with(saved, 12, "~");
    QTest::newRow("file ends early") << bytesOf(cut) << "" << cutSaved;
    QTest::newRow("no such file") << QByteArray("<none>") << "Application/Cannot read file %1:\nNo such file or directory." << QStringList();
    QTest::newRow("empty file") << QByteArray() << unknown << QStringList();
    QTest::newRow("identifier in lower case") << bytesOf(with(all, 1, "version")) << unknown << QStringList();
    QTest::newRow("format 101") << bytesOf(with(all, 2, "101")) << newer << QStringList();
    QTest::newRow("identifier tested first") << bytesOf(with(with(all, 1, "Other"), 2, "101")) << unknown << QStringList();
    // clang-format on
}

// Open through the File menu; a file that loads is then saved with Save,
// which writes back to the same file without asking.
void TestMainWindow::openThenSave()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, warning);
    QFETCH(QStringList, saved);

    const QString path = dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QFile out(path);
    QVERIFY(file == "<none>" ||
            (out.open(QIODevice::WriteOnly) && out.write(file) == file.size() && out.flush()));
    MainWindow window;
    ConfigSnapshot::applyRow(&window, 499, HomeRow{"5", "5", "", "", "before"});
    const RadioConfig before = ConfigSnapshot::takeConfig(&window);
    int asked = 0;
    window.askOpenFileName = [&](QWidget *) { return path; };
    window.askSaveFileName = [&](QWidget *) { return ++asked, QString(); };
    warnings.clear();
    window.openAct->trigger();
    if (!warning.isEmpty()) {
        QCOMPARE(warnings, QStringList{warning.replace(QLatin1String("%1"), path)});
        QCOMPARE(ConfigSnapshot::takeConfig(&window), before);
        QCOMPARE(window.curFile, QString());
        return;
    }
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("File loaded"));
    QCOMPARE(window.curFile, path);
    window.saveAct->trigger();
    QCOMPARE(asked, 0);
    QCOMPARE(contents(path).toHex(), bytesOf(saved).toHex());
    QCOMPARE(warnings, QStringList());
}

// Save without a current file asks for a name; a cancelled or failed save
// leaves the current file; a good one makes it current.
void TestMainWindow::saveAs()
{
    MainWindow window;
    QString answer;
    int asked = 0;
    window.askSaveFileName = [&](QWidget *) { return ++asked, answer; };
    window.saveAct->trigger();
    QCOMPARE(asked, 1);
    answer = dir.filePath(QStringLiteral("missing/unit.cfg"));
    warnings.clear();
    window.saveAsAct->trigger();
    QCOMPARE(warnings, QStringList{"Application/Cannot write file " + answer +
                                   ":\nNo such file or directory."});
    QCOMPARE(window.curFile, QString());

    answer = dir.filePath(QStringLiteral("saved.cfg"));
    window.saveAct->trigger();
    QCOMPARE(asked, 3);
    QCOMPARE(window.curFile, answer);
    QCOMPARE(contents(answer).size(), 10340);
    // Each confirmation goes again after its 2000 ms.
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("File saved"));
    QTRY_COMPARE_WITH_TIMEOUT(window.statusBar()->currentMessage(), QString(), 10000);
    window.askOpenFileName = [&](QWidget *) { return answer; };
    window.openAct->trigger();
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("File loaded"));
    QTRY_COMPARE_WITH_TIMEOUT(window.statusBar()->currentMessage(), QString(), 10000);
}

// With VELMORA_CROSS_DIR naming a folder shared with the other Qt major's build
// (scripts/cross-qt.sh runs Qt 5, 6, 5), the sample goes through the window
// into qt<major>.cfg there, and the other build's file loads and saves unchanged.
void TestMainWindow::crossVersion()
{
    const QString shared = qEnvironmentVariable("VELMORA_CROSS_DIR"), again = dir.filePath("again");
    const auto file = [&](int major) { return shared + QStringLiteral("/qt%1.cfg").arg(major); };
    const QString theirs = file(QT_VERSION_MAJOR == 5 ? 6 : 5);
    MainWindow window, fresh;
    ConfigSnapshot::applyConfig(&window, sampleConfig());
    QVERIFY(shared.isEmpty() || window.saveFile(file(QT_VERSION_MAJOR)));
    if (shared.isEmpty() || !QFile::exists(theirs))
        QSKIP("VELMORA_CROSS_DIR names no folder holding the other Qt major's file");
    fresh.loadFile(theirs);
    QVERIFY(fresh.saveFile(again));
    QCOMPARE(contents(again).toHex(), contents(theirs).toHex());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
