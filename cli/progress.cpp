#include "cli/progress.h"

#include "cli/unitjob.h"

#include <QTimer>

#include <cstdio>

namespace {

const int perUnitLimit = 20; ///< more units share one line

QString lineOf(const UnitJob *job)
{
    return job->done ? QStringLiteral("%1  %2").arg(job->unit.name, job->result)
                     : QStringLiteral("%1  %2 %3/%4")
                           .arg(job->unit.name, job->step)
                           .arg(job->answers)
                           .arg(job->expected);
}

} // namespace

Progress::Progress(const QList<UnitJob *> &jobs, QObject *parent)
    : QObject(parent), jobs(jobs), timer(new QTimer(this))
{
    connect(timer, SIGNAL(timeout()), this, SLOT(show()));
    timer->start(100);
}

void Progress::end()
{
    timer->stop();
    show();
    std::fprintf(stderr, "\033[%dA\033[J", shown);
}

void Progress::show()
{
    QStringList lines;
    if (jobs.size() <= perUnitLimit) {
        for (const UnitJob *job : jobs)
            lines << lineOf(job);
    } else {
        int done = 0, failed = 0;
        for (const UnitJob *job : jobs)
            done += job->done, failed += job->done && !job->ok;
        lines << QStringLiteral("%1 units: %2 done, %3 failed, %4 running")
                     .arg(jobs.size())
                     .arg(done)
                     .arg(failed)
                     .arg(jobs.size() - done);
    }
    QByteArray text;
    if (shown)
        text += "\033[" + QByteArray::number(shown) + 'A';
    for (const QString &l : lines)
        text += "\r\033[K" + l.toUtf8() + '\n';
    shown = lines.size();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}
