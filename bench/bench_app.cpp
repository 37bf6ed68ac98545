// Start-up, load and save of the tool, each against a baseline measured in
// the same run: what Qt needs for the same widgets or the same bytes without
// the tool's checks. Prints the median of several runs and the ratio.
#include "app/datafile.h"
#include "app/mainwindow.h"
#include "bench/median.h"
#include "tests/sampleconfig.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QSaveFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

const int runs = 9;

struct Medians
{
    double tool = 0;
    double baseline = 0;
};

// The tool and its baseline take turns, so that the machine's drift (another
// job, the disk's sync times) weighs on both alike.
Medians interleaved(
    const std::function<void()> &tool, const std::function<void()> &baseline,
    const std::function<void()> &setUpTool = [] {},
    const std::function<void()> &setUpBaseline = [] {})
{
    std::vector<double> toolTimes, baseTimes;
    auto time = [](const std::function<void()> &setUp, const std::function<void()> &work) {
        setUp();
        QElapsedTimer clock;
        clock.start();
        work();
        return clock.nsecsElapsed() / 1e6;
    };
    for (int i = 0; i < runs; ++i) {
        toolTimes.push_back(time(setUpTool, tool));
        baseTimes.push_back(time(setUpBaseline, baseline));
    }
    return {median(toolTimes), median(baseTimes)};
}

void report(const char *what, const char *baseline, Medians m, double goal)
{
    std::printf("%-34s %8.2f ms   %-44s %8.2f ms   ratio %.2f x (goal at most %.1f x)\n", what,
                m.tool, baseline, m.baseline, m.tool / m.baseline, goal);
}

// Every field set, as a maintainer's file would be.
QStringList everyField()
{
    const RadioConfig sample = sampleConfig();
    return DataFile::fieldsFromConfig(sample,
                                      DataFile::checksFromFeatureWord(sample.general.features));
}

// The tool's widgets without any check, connection or layout.
struct BareWidgets
{
    QLineEdit edits[7];
    QComboBox radio, railroad;
    QCheckBox boxes[16];
    QTableWidget table{500, 5};
    BareWidgets()
    {
        radio.addItems({"NX-700", "NX-5700", "ICOM"});
        for (int i = 0; i < 10; ++i)
            railroad.addItem(QString::number(i));
        for (int row = 0; row < 500; ++row)
            for (int column = 0; column < 5; ++column)
                table.setItem(row, column, new QTableWidgetItem);
    }
};

// A child process that starts, shows one window and ends: "tool" for the
// main window, "bare" for the baseline.
int startOnce(int argc, char *argv[], const QByteArray &which)
{
    QApplication app(argc, argv);
    std::unique_ptr<QMainWindow> window;
    if (which == "tool") {
        window.reset(new MainWindow);
    } else {
        window.reset(new QMainWindow);
        auto *table = new QTableWidget(500, 5);
        for (int row = 0; row < 500; ++row)
            for (int column = 0; column < 5; ++column)
                table->setItem(row, column, new QTableWidgetItem);
        window->setCentralWidget(table);
    }
    window->show();
    QCoreApplication::processEvents();
    return 0;
}

// The whole start-up as a maintainer waits for it: process start to shown.
std::function<void()> startProcess(const QString &self, const char *which)
{
    return [self, which] {
        QProcess child;
        child.start(self, {QStringLiteral("--start"), QString::fromLatin1(which)});
        child.waitForFinished(30000);
    };
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(images);
    if (argc == 3 && QByteArray(argv[1]) == "--start")
        return startOnce(argc, argv, argv[2]);
    QApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    startProcess(self, "tool")();
    report("start-up: process to window shown", "bare QMainWindow, 500 x 5 table",
           interleaved(startProcess(self, "tool"), startProcess(self, "bare")), 1.3);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("every-field.cfg"));
    const QStringList fields = everyField();
    QString error;
    if (!DataFile::saveFields(file, fields, &error))
        return 1;

    MainWindow window;
    BareWidgets widgets;
    const QStringList &values = fields;
    auto setBare = [&] {
        for (int i = 0; i < 7; ++i)
            widgets.edits[i].setText(values.at(2 + i));
        widgets.radio.setCurrentIndex(values.at(9).toInt());
        widgets.railroad.setCurrentIndex(values.at(10).toInt());
        for (int bit = 0; bit < 16; ++bit)
            widgets.boxes[bit].setChecked(values.at(11).at(15 - bit) == QLatin1Char('1'));
        for (int cell = 0; cell < 2500; ++cell)
            widgets.table.item(cell / 5, cell % 5)->setText(values.at(22 + cell));
    };
    // Every measured load changes every value: each starts from an empty file.
    const QString empty = dir.filePath(QStringLiteral("empty.cfg"));
    DataFile::saveFields(empty, DataFile::fieldsFromConfig(RadioConfig(), QString()), &error);
    auto clearBare = [&] {
        for (int cell = 0; cell < 2500; ++cell)
            widgets.table.item(cell / 5, cell % 5)->setText(QString());
    };
    report("loadFile, every field set", "same values into bare widgets",
           interleaved([&] { window.loadFile(file); }, setBare, [&] { window.loadFile(empty); },
                       clearBare),
           3.0);

    window.loadFile(file);
    const QString saved = dir.filePath(QStringLiteral("saved.cfg"));
    auto baseSave = [&] {
        QSaveFile out(saved);
        out.open(QIODevice::WriteOnly);
        QDataStream stream(&out);
        stream.setVersion(DataFile::StreamVersion);
        for (const QString &text : fields)
            stream << text;
        out.commit();
    };
    report("saveFile", "same strings, QDataStream to QSaveFile",
           interleaved([&] { window.saveFile(saved); }, baseSave), 1.2);
    return 0;
}
