#include "cli/fleet.h"

#include "app/datafile.h"
#include "cli/links.h"
#include "link/frames.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

const int progressLimit = 20; ///< more units share one progress line

} // namespace

Fleet::Fleet(const Options &options, const QStringList &fileFields, QObject *parent)
    : QObject(parent), options(options)
{
    clock.start();
    if (!options.trace.isEmpty()) {
        traceFile.setFileName(options.trace);
        // Opened for writing when the command line was checked.
        traceFile.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    UdpRouter *router = nullptr;
    QString unbound;
    for (const UnitSpec &unit : options.units) {
        UnitLink *link = nullptr;
        if (unit.serial) {
            link = new SerialLink(unit.target, this);
        } else {
            if (!router) {
                router = new UdpRouter(this);
                router->bind(&unbound);
                connect(router, SIGNAL(dropped(QHostAddress, QByteArray, QString)), this,
                        SLOT(traceDropped(QHostAddress, QByteArray, QString)));
            }
            link = new UdpLink(unit.address, router, this);
        }
        names.insert(link, unit.name);
        if (!options.trace.isEmpty()) {
            connect(link, SIGNAL(request(QByteArray)), this, SLOT(traceRequest(QByteArray)));
            connect(link, SIGNAL(response(QByteArray)), this, SLOT(traceResponse(QByteArray)));
        }
        UnitJob *job = UnitJob::make(unit, link, options, fileFields, this);
        connect(job, SIGNAL(finished()), this, SLOT(jobFinished()));
        jobs << job;
    }
    this->unbound = unbound;
    QMetaObject::invokeMethod(this, "startBatch", Qt::QueuedConnection);
    if (!options.quiet && isatty(STDERR_FILENO)) {
        progress = new QTimer(this);
        connect(progress, SIGNAL(timeout()), this, SLOT(showProgress()));
        progress->start(100);
    }
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
        if (!job->unit.serial && !unbound.isEmpty())
            job->processEnd(LinkOutcome{LinkOutcome::CannotOpen, unbound});
        else
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
    if (progress) {
        progress->stop();
        showProgress();
        // The results replace the progress lines.
        std::fprintf(stderr, "\033[%dA\033[J", progressLines);
    }
    report();
    if (interruptedBy)
        return 128 + interruptedBy;
    bool all = true, changes = false;
    for (const UnitJob *job : jobs)
        all = all && job->ok, changes = changes || job->changed;
    if (!all)
        return 1;
    return options.command == QLatin1String("plan") && changes ? 3 : 0;
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

void Fleet::trace(const QString &unit, char direction, const QByteArray &bytes, const QString &note)
{
    if (!traceFile.isOpen())
        return;
    QByteArray line = QByteArray::number(clock.elapsed()) + ' ' + unit.toUtf8() + ' ' + direction +
                      ' ' + bytes.toHex(' ');
    if (!note.isEmpty())
        line += "  (" + note.toUtf8() + ')';
    traceFile.write(line + '\n');
}

void Fleet::traceRequest(const QByteArray &s)
{
    trace(names.value(sender()), '>', s);
}

void Fleet::traceResponse(const QByteArray &s)
{
    trace(names.value(sender()), '<', s);
}

void Fleet::traceDropped(const QHostAddress &sender, const QByteArray &bytes, const QString &why)
{
    ++dropped;
    trace(sender.toString(), 'x', bytes, QStringLiteral("dropped: ") + why);
}

void Fleet::showProgress()
{
    QStringList lines;
    const auto line = [](const UnitJob *job) {
        return job->done ? QStringLiteral("%1  %2").arg(job->unit.name, job->result)
                         : QStringLiteral("%1  %2 %3/%4")
                               .arg(job->unit.name, job->step)
                               .arg(job->answers)
                               .arg(job->expected);
    };
    if (jobs.size() <= progressLimit) {
        for (const UnitJob *job : jobs)
            lines << line(job);
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
    if (progressLines)
        text += "\033[" + QByteArray::number(progressLines) + 'A';
    for (const QString &l : lines)
        text += "\r\033[K" + l.toUtf8() + '\n';
    progressLines = lines.size();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

void Fleet::report()
{
    if (traceFile.isOpen()) {
        traceFile.write(QByteArray("# ") + QByteArray::number(dropped) +
                        " datagrams dropped: not from a unit, or our own requests\n");
        traceFile.close();
    }
    int width = 0;
    for (const UnitJob *job : jobs)
        width = qMax(width, job->unit.name.size());
    for (const UnitJob *job : jobs) {
        QByteArray line;
        if (options.json) {
            QJsonObject object{{"unit", job->unit.name},
                               {"link", job->unit.serial ? "serial" : "udp"},
                               {"result", job->result},
                               {"ok", job->ok},
                               {"changed", job->changed},
                               {"failed", !job->ok},
                               {"msg", QStringLiteral("%1: %2").arg(job->unit.name, job->result)},
                               {"seconds", qRound(job->seconds * 1000) / 1000.0}};
            if (!job->file.isEmpty())
                object.insert(QStringLiteral("file"), job->file);
            if (!job->backup.isEmpty())
                object.insert(QStringLiteral("backup_file"), job->backup);
            QJsonArray differences;
            for (const TextForm::Difference &d : job->differences)
                differences << QJsonObject{{"field", TextForm::fieldName(d.field)},
                                           {"before", QJsonValue(d.first)},
                                           {"after", QJsonValue(d.second)}};
            if (!differences.isEmpty())
                object.insert(QStringLiteral("differences"), differences);
            line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
        } else {
            line = QStringLiteral("%1  %2  %3 s\n")
                       .arg(job->unit.name, -width)
                       .arg(job->result)
                       .arg(job->seconds, 0, 'f', 2)
                       .toUtf8();
            for (const TextForm::Difference &d : job->differences)
                line += "  " + d.text().toUtf8() + '\n';
        }
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    std::fflush(stdout);
}
