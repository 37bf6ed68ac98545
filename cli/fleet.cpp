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

QString backupPath(const QString &folder, const QString &unit, const QString &kind = QString())
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString first = QDir(folder).filePath(QStringLiteral("%1-%2").arg(unit, stamp));
    // Never over an earlier backup, not even one of the same second.
    QString path = first + kind + QStringLiteral(".cfg");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QStringLiteral("%1-%2%3.cfg").arg(first).arg(n).arg(kind);
    return path;
}

// The newest backup of unit in folder: NAME-YYYYMMDD-HHMMSS[-N].cfg, never
// one taken before a restore.
QString newestBackup(const QString &folder, const QString &unit)
{
    const QRegularExpression name(QStringLiteral("^%1-(\\d{8}-\\d{6})(?:-(\\d+))?\\.cfg$")
                                      .arg(QRegularExpression::escape(unit)));
    QString newest, newestKey;
    for (const QString &entry : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (!match.hasMatch())
            continue;
        const QString key =
            match.captured(1) +
            QStringLiteral("-%1").arg(match.captured(2).toInt() + 1, 9, 10, QChar('0'));
        if (key > newestKey)
            newest = entry, newestKey = key;
    }
    return newest.isEmpty() ? QString() : QDir(folder).filePath(newest);
}

/// read: the unit into OUT; backup: into the backup folder.
class ReadJob : public UnitJob
{
public:
    using UnitJob::UnitJob;

    void begin() override { run(QStringLiteral("Read"), QStringLiteral("read")); }

protected:
    void transactionDone() override
    {
        if (options.command == QLatin1String("backup")) {
            const QString path = backupPath(options.backupDir, unit.name);
            if (saveOrFail(path, read.fields())) {
                backup = path;
                finish(QStringLiteral("ok"), true);
            }
            return;
        }
        const QString path = QString(options.output).replace(QLatin1String("{unit}"), unit.name);
        if (saveOrFail(path, read.fields())) {
            file = path;
            finish(QStringLiteral("ok"), true);
        }
    }
};

/// write, plan and restore: read, compare, back up, write, read back.
class WriteJob : public UnitJob
{
public:
    WriteJob(const UnitSpec &unit, UnitLink *link, const Options &options,
             const QStringList &fileFields, QObject *parent)
        : UnitJob(unit, link, options, parent), fileFields(fileFields)
    {}

    void begin() override
    {
        if (restoring()) {
            const QString path = newestBackup(options.files.at(0), unit.name);
            QString error;
            if (path.isEmpty())
                return finish(QStringLiteral("no backup"));
            if (!TextForm::load(path, QStringList(), &fileFields, &error))
                return finish(QStringLiteral("cannot read the backup: ") + error);
            source = path;
        }
        sent = TextForm::opened(fileFields);
        if (options.noBackup && !keepIdentity() && options.force)
            write();
        else
            run(QStringLiteral("Read"), QStringLiteral("backup"));
    }

protected:
    void transactionDone() override
    {
        if (step == QLatin1String("backup")) {
            if (keepIdentity()) {
                const GeneralSettings &own = read.config.general;
                GeneralSettings &g = sent.general;
                g.ip = own.ip, g.subnetMask = own.subnetMask, g.gateway = own.gateway;
                g.serialNumber = own.serialNumber, g.userDescription = own.userDescription;
            }
            // What the unit would hold after the write, against what it holds.
            differences = TextForm::differences(read.fields(), read.config, sentFields(),
                                                TextForm::readBack(sent), options.homeBypass);
            changed = !differences.isEmpty();
            if (options.command == QLatin1String("plan"))
                return finish(changed
                                  ? QStringLiteral("would change %1 fields").arg(differences.size())
                                  : QStringLiteral("unchanged"),
                              true);
            if (!changed && !options.force)
                return finish(QStringLiteral("unchanged"), true);
            differences.clear();
            if (!options.noBackup) {
                const QString path = restoring() ? backupPath(options.files.at(0), unit.name,
                                                              QStringLiteral(".before-restore"))
                                                 : backupPath(options.backupDir, unit.name);
                if (!saveOrFail(path, read.fields()))
                    return;
                backup = path;
            }
            write();
        } else if (step == QLatin1String("write")) {
            if (!parameterError.isEmpty())
                finish(QStringLiteral("parameter error: ") + parameterError);
            else if (options.noVerify)
                finish(QStringLiteral("ok"), true);
            else
                run(QStringLiteral("Read"), QStringLiteral("verify"));
        } else {
            differences = TextForm::differences(sentFields(), TextForm::readBack(sent),
                                                read.fields(), read.config, options.homeBypass);
            if (differences.isEmpty())
                finish(QStringLiteral("ok"), true);
            else
                finish(QStringLiteral("verify: %1 fields differ").arg(differences.size()));
        }
    }

    QString interrupted() const override
    {
        const QString kept = backup.isEmpty() ? QString() : QStringLiteral(", backup ") + backup;
        if (step == QLatin1String("write"))
            return QStringLiteral("interrupted: %1 of %2 frames written%3")
                .arg(answers)
                .arg(expected)
                .arg(kept);
        if (step == QLatin1String("verify"))
            return QStringLiteral("interrupted: written, not read back") + kept;
        return QStringLiteral("interrupted before writing");
    }

private:
    bool restoring() const { return options.command == QLatin1String("restore"); }
    bool keepIdentity() const
    {
        return !restoring() && (options.keepIdentity || options.units.size() > 1);
    }
    QStringList sentFields() const
    {
        return DataFile::fieldsFromConfig(sent,
                                          DataFile::checksFromFeatureWord(sent.general.features));
    }
    void write()
    {
        changed = true;
        run(QStringLiteral("Write"), QStringLiteral("write"), sent);
    }

    QStringList fileFields;
    QString source; ///< the backup a restore writes
    RadioConfig sent;
};

/// verify: the unit against FILE.
class VerifyJob : public UnitJob
{
public:
    VerifyJob(const UnitSpec &unit, UnitLink *link, const Options &options,
              const QStringList &fileFields, QObject *parent)
        : UnitJob(unit, link, options, parent), fileFields(fileFields)
    {}

    void begin() override { run(QStringLiteral("Read"), QStringLiteral("verify")); }

protected:
    void transactionDone() override
    {
        differences =
            TextForm::differences(fileFields, TextForm::readBack(TextForm::opened(fileFields)),
                                  read.fields(), read.config, options.homeBypass);
        if (differences.isEmpty())
            finish(QStringLiteral("ok"), true);
        else
            finish(QStringLiteral("verify: %1 fields differ").arg(differences.size()));
    }

private:
    const QStringList fileFields;
};

/// factory: the factory-mode frame.
class FactoryJob : public UnitJob
{
public:
    using UnitJob::UnitJob;

    void begin() override { run(QStringLiteral("Factory"), QStringLiteral("factory")); }

protected:
    void transactionDone() override
    {
        if (parameterError.isEmpty())
            finish(QStringLiteral("ok"), true);
        else
            finish(QStringLiteral("parameter error: ") + parameterError);
    }
};

} // namespace

UnitJob::UnitJob(const UnitSpec &unit, UnitLink *link, const Options &options, QObject *parent)
    : QObject(parent), unit(unit), link(link), options(options)
{
    connect(link, SIGNAL(response(QByteArray)), this, SLOT(processResponse(QByteArray)));
    connect(link, SIGNAL(finished(LinkOutcome)), this, SLOT(processEnd(LinkOutcome)));
}

void UnitJob::run(const QString &type, const QString &label, const RadioConfig &values)
{
    // Interrupted between two walks: the next one is never started.
    if (stopRequested)
        return finish(interrupted());
    this->type = type;
    step = label;
    answers = 0;
    expected = walkLength(type, options.homeBypass);
    parameterError.clear();
    if (type == QLatin1String("Read"))
        read = ConfigModel();
    running = true;
    link->start(type, options.homeBypass, values);
}

void UnitJob::processResponse(const QByteArray &s)
{
    // A late answer to a walk that has ended changes nothing here.
    if (!running)
        return;
    ++answers;
    const Answer answer = parseAnswer(s);
    if (answer.kind == Answer::ChannelError || answer.kind == Answer::AddressError ||
        answer.kind == Answer::ParameterError)
        parameterError = QCoreApplication::translate("LinkDialog", errorText(answer.kind));
    else if (type == QLatin1String("Read"))
        applyAnswer(answer, read);
}

void UnitJob::processEnd(const LinkOutcome &outcome)
{
    if (!running && outcome.kind != LinkOutcome::CannotOpen)
        return;
    running = false;
    switch (outcome.kind) {
    case LinkOutcome::Complete:
        transactionDone();
        break;
    case LinkOutcome::Timeout:
        finish(QStringLiteral("timeout"));
        break;
    case LinkOutcome::WriteTimeout:
        finish(QStringLiteral("write timeout"));
        break;
    case LinkOutcome::CannotOpen:
        finish(QStringLiteral("cannot open: ") + outcome.reason);
        break;
    case LinkOutcome::Stopped:
        finish(interrupted());
        break;
    }
}

void UnitJob::interrupt()
{
    stopRequested = true;
    if (running)
        link->stop();
}

void UnitJob::finish(const QString &text, bool success)
{
    if (done)
        return;
    done = true;
    running = false;
    ok = success;
    result = text;
    emit finished();
}

bool UnitJob::saveOrFail(const QString &path, const QStringList &fields)
{
    QString error;
    if (!TextForm::save(path, fields, &error)) {
        finish(QStringLiteral("cannot write %1: %2").arg(path, error));
        return false;
    }
    return true;
}

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
        UnitJob *job = nullptr;
        if (options.command == QLatin1String("read") || options.command == QLatin1String("backup"))
            job = new ReadJob(unit, link, options, this);
        else if (options.command == QLatin1String("write") ||
                 options.command == QLatin1String("plan") ||
                 options.command == QLatin1String("restore"))
            job = new WriteJob(unit, link, options, fileFields, this);
        else if (options.command == QLatin1String("verify"))
            job = new VerifyJob(unit, link, options, fileFields, this);
        else
            job = new FactoryJob(unit, link, options, this);
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
