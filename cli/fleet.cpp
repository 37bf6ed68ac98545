#include "cli/fleet.h"

#include "cli/fleetcommand.h"
#include "cli/links.h"
#include "cli/progress.h"
#include "cli/report.h"
#include "cli/trace.h"
#include "cli/unitjob.h"

#include <QCoreApplication>

#include <unistd.h>

Fleet::Fleet(const FleetCommand &command, const Options &options, const QStringList &fileFields,
             Trace *trace, QObject *parent)
    : QObject(parent), command(command), options(options), trace(trace)
{
    clock.start();
    UdpRouter *router = nullptr;
    for (const UnitTarget &unit : options.units) {
        UnitLink *link = nullptr;
        if (unit.serial) {
            link = new SerialLink(unit.target, this);
        } else {
            if (!router) {
                router = new UdpRouter(this);
                router->bind();
                if (trace)
                    trace->watch(router);
            }
            link = new UdpLink(unit.address, router, this);
        }
        if (trace)
            trace->watch(link, unit.name);
        UnitJob *job = command.job(unit, link, options, fileFields, this);
        connect(job, SIGNAL(finished()), this, SLOT(jobFinished()));
        jobs << job;
    }
    QMetaObject::invokeMethod(this, "startBatch", Qt::QueuedConnection);
    if (!options.quiet && isatty(STDERR_FILENO))
        progress = new Progress(jobs, this);
}

void Fleet::startBatch()
{
    int failed = 0;
    for (const UnitJob *job : jobs)
        failed += job->done && !job->ok;
    if (interruptedBy || (options.maxFail && failed >= options.maxFail)) {
        for (; next < jobs.size(); ++next)
            jobs.at(next)->finish(QStringLiteral("not started"));
        return;
    }
    const int end = options.batch ? qMin(int(jobs.size()), next + options.batch) : jobs.size();
    for (; next < end; ++next) {
        UnitJob *job = jobs.at(next);
        ++running;
        job->started = true;
        job->begin();
    }
}

void Fleet::interrupt(int signal)
{
    if (interruptedBy)
        return;
    interruptedBy = signal;
    for (UnitJob *job : jobs) {
        if (job->started && !job->done)
            job->interrupt();
    }
    if (running == 0)
        startBatch();
}

int Fleet::exec()
{
    while (next < jobs.size() || running > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (progress)
        progress->end();
    if (trace)
        trace->close();
    report(jobs, options.json);
    if (interruptedBy)
        return 128 + interruptedBy;
    bool all = true, changes = false;
    for (const UnitJob *job : jobs)
        all = all && job->ok, changes = changes || job->changed;
    return command.status(all, changes);
}

void Fleet::jobFinished()
{
    auto *job = qobject_cast<UnitJob *>(sender());
    job->seconds = clock.nsecsElapsed() / 1e9;
    if (!job->started)
        return;
    // The next batch once this one is through.
    if (--running == 0 && next < jobs.size())
        QMetaObject::invokeMethod(this, "startBatch", Qt::QueuedConnection);
}
