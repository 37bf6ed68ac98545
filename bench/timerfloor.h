#ifndef VELMORA_BENCH_TIMERFLOOR_H
#define VELMORA_BENCH_TIMERFLOOR_H

#include "bench/median.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <QVector>

/// What the machine's timers alone cost: 509 ticks of a precise QTimer set
/// to 1 ms again at each tick, as the network walk does after each answer.
class BareTicks : public QObject
{
    Q_OBJECT

public:
    double run()
    {
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, SIGNAL(timeout()), this, SLOT(tick()));
        clock.start();
        timer.start(1);
        loop.exec();
        return clock.nsecsElapsed() / 1e9;
    }

    /// 400 ms and the median of runs walks of 509 bare ticks: the network
    /// link's floor on this machine.
    static double timerFloor(int runs)
    {
        QVector<double> bare;
        for (int run = 0; run < runs; ++run)
            bare << BareTicks().run();
        return 0.4 + median(bare);
    }

private slots:
    void tick()
    {
        if (++ticks == 509) {
            timer.stop();
            loop.quit();
        } else {
            timer.setInterval(1);
        }
    }

private:
    QTimer timer;
    QEventLoop loop;
    QElapsedTimer clock;
    int ticks = 0;
};

#endif
