// A full serial Read and Write through the serial dialog against the emulated
// unit on a pseudo-terminal, timed against the floor that the 10 ms of silence
// after every answer sets (510 x 10 ms), with the longest time the GUI
// thread's event loop was out of reach during the transfer.

#include "app/mainwindow.h"
#include "bench/median.h"
#include "link/dialog.h"
#include "tests/sampleconfig.h"
#include "unit/radiounit.h"
#include "unit/unitserver.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <vector>

namespace {

const int runs = 5;
const double floorSeconds = 510 * 0.010;

using Clock = std::chrono::steady_clock;
using Span = std::pair<Clock::time_point, Clock::time_point>;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Gaps between the ticks of a 1 ms timer on the GUI thread, and between the
// wake-ups of plain threads that sleep 1 ms at a time, one pinned to each CPU.
// A stall of a CPU (the host not running this virtual machine's CPU, other
// work on the shared machine) shows in the GUI gap and in the witness of the
// CPU the GUI thread woke on; a block of the GUI thread by our code only in
// the first. (Debian's Qt runs the glib dispatcher, whose awake() comes just
// before aboutToBlock(), so those two signals cannot time a turn.)
class StallMeter : public QObject
{
    Q_OBJECT

public:
    StallMeter() : stalls(std::max(1, QThread::idealThreadCount()))
    {
        for (int cpu = 0; cpu < int(stalls.size()); ++cpu)
            witnesses.emplace_back([this, cpu] { watch(cpu); });
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(1);
        connect(&timer, SIGNAL(timeout()), this, SLOT(tick()));
        timer.start();
    }
    ~StallMeter() override
    {
        stop = true;
        for (std::thread &witness : witnesses)
            witness.join();
    }
    void reset()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        guiGaps.clear(), longestGui = {};
        for (std::vector<Span> &cpu : stalls)
            cpu.clear();
        lastTick = Clock::now();
    }
    // The longest gap of the GUI loop, and the longest part of a gap that no
    // stall of its CPU explains, in ms.
    std::pair<double, double> longest()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        Clock::duration ours{};
        for (const Gap &gap : guiGaps) {
            Clock::duration left = gap.span.second - gap.span.first;
            for (const Span &stall : stalls.at(gap.cpu))
                left -= std::max(Clock::duration{}, std::min(gap.span.second, stall.second) -
                                                        std::max(gap.span.first, stall.first));
            ours = std::max(ours, left);
        }
        return {ms(longestGui), ms(ours)};
    }

private slots:
    void tick()
    {
        const Clock::time_point now = Clock::now();
        const int cpu = ::sched_getcpu();
        const std::lock_guard<std::mutex> lock(mutex);
        longestGui = std::max(longestGui, now - lastTick);
        if (now - lastTick > std::chrono::milliseconds(3) && cpu >= 0 && cpu < int(stalls.size()))
            guiGaps.push_back({{lastTick, now}, cpu});
        lastTick = now;
    }

private:
    struct Gap
    {
        Span span;
        int cpu;
    };

    void watch(int cpu)
    {
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(cpu, &set);
        ::pthread_setaffinity_np(::pthread_self(), sizeof set, &set);
        for (Clock::time_point last = Clock::now(); !stop;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const Clock::time_point now = Clock::now();
            if (now - last > std::chrono::milliseconds(3)) {
                const std::lock_guard<std::mutex> lock(mutex);
                stalls[cpu].push_back({last, now});
            }
            last = now;
        }
    }

    QTimer timer;
    std::mutex mutex;
    std::vector<std::vector<Span>> stalls; ///< per CPU
    std::vector<Gap> guiGaps;
    Clock::time_point lastTick = Clock::now();
    Clock::duration longestGui{};
    std::atomic<bool> stop{false};
    std::vector<std::thread> witnesses;
};

double worst(const std::vector<double> &values)
{
    return *std::max_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    RadioUnit unit;
    SerialUnitServer server(&unit);
    if (!server.openPseudoTerminal()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    MainWindow window;
    window.serialAct->trigger();
    Dialog *dialog = window.serialDialog;
    dialog->serialPortComboBox->setEditText(server.slavePath());
    unit.loadConfig(sampleConfig()); // the Reads fill the tabs with it, the Writes send it back
    StallMeter meter;

    std::printf("serial transfer, %d runs each; floor %.2f s (510 x 10 ms of silence)\n", runs,
                floorSeconds);
    {
        QEventLoop idle;
        QTimer::singleShot(int(floorSeconds * 1000), &idle, SLOT(quit()));
        meter.reset();
        idle.exec();
        const std::pair<double, double> gap = meter.longest();
        std::printf("idle for %.2f s: longest GUI gap %.1f ms, %.1f ms of it not a CPU "
                    "stall\n",
                    floorSeconds, gap.first, gap.second);
    }
    bool ok = true;
    for (const QString kind : {"Read", "Write"}) {
        QPushButton *button = kind == "Read" ? dialog->readButton : dialog->writeButton;
        std::vector<double> seconds, gaps, ours;
        for (int run = 0; run < runs; ++run) {
            QEventLoop loop;
            QObject::connect(&dialog->thread, SIGNAL(timeout(QString)), &loop, SLOT(quit()));
            QObject::connect(&dialog->thread, SIGNAL(error(QString)), &loop, SLOT(quit()));
            QTimer::singleShot(60000, &loop, SLOT(quit()));
            unit.clearLog();
            meter.reset();
            QElapsedTimer clock;
            clock.start();
            button->click();
            loop.exec();
            seconds.push_back(clock.nsecsElapsed() / 1e9);
            const std::pair<double, double> gap = meter.longest();
            gaps.push_back(gap.first);
            ours.push_back(gap.second);
            const QString status = dialog->statusLabel->text();
            std::printf("%-5s run %d: %.3f s = %.3f x floor; GUI loop: longest gap %.1f ms, "
                        "%.1f ms of it not a CPU stall; %d requests, %s\n",
                        qPrintable(kind), run + 1, seconds.back(), seconds.back() / floorSeconds,
                        gaps.back(), ours.back(), unit.requestCount(), qPrintable(status));
            ok = ok && status == "Complete!" && unit.requestCount() == 510;
        }
        const double m = median(seconds);
        std::printf("%-5s median %.3f s = %.3f x floor; longest GUI gap: median %.1f ms, worst "
                    "%.1f ms; not a CPU stall: median %.1f ms, worst %.1f ms\n",
                    qPrintable(kind), m, m / floorSeconds, median(gaps), worst(gaps), median(ours),
                    worst(ours));
    }
    if (!ok)
        std::printf("a transfer did not complete\n");
    return ok ? 0 : 1;
}

#include "bench_serial.moc"
