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
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

const int progressLimit = 20; ///< more units share one progress line

QString backupPath(const QString &folder, const QString &unit)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString first = QDir(folder).filePath(QStringLiteral("%1-%2").arg(unit, stamp));
    // Never over an earlier backup, not even one of the same second.
    QString path = first + QStringLiteral(".cfg");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QStringLiteral("%1-%2.cfg").arg(first).arg(n);
    return path;
}

/// read: the unit into OUT.
class ReadJob : public UnitJob
{
public:
    using UnitJob::UnitJob;

    void begin() override { run(QStringLiteral("Read"), QStringLiteral("read")); }

protected:
    void transactionDone() override
    {
        const QString path = QString(options.output).replace(QLatin1String("{unit}"), unit.name);
        if (saveOrFail(path, read.fields()))
            finish(QStringLiteral("ok"), true);
    }
};

/// write: backup, write, read back.
class WriteJob : public UnitJob
{
public:
    WriteJob(const UnitSpec &unit, UnitLink *link, const Options &options,
             const QStringList &fileFields, QObject *parent)
        : UnitJob(unit, link, options, parent), fileFields(fileFields)
    {}

    void begin() override
    {
        sent = TextForm::opened(fileFields);
        if (options.noBackup && !keepIdentity())
            write();
        else
            run(QStringLiteral("Read"), QStringLiteral("backup"));
    }

protected:
    void transactionDone() override
    {
        if (step == QLatin1String("backup")) {
            if (!options.noBackup &&
                !saveOrFail(backupPath(options.backupDir, unit.name), read.fields()))
                return;
            if (keepIdentity()) {
                const GeneralSettings &own = read.config.general;
                GeneralSettings &g = sent.general;
                g.ip = own.ip, g.subnetMask = own.subnetMask, g.gateway = own.gateway;
                g.serialNumber = own.serialNumber, g.userDescription = own.userDescription;
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
            const QStringList sentFields = DataFile::fieldsFromConfig(
                sent, DataFile::checksFromFeatureWord(sent.general.features));
            differences = TextForm::differences(sentFields, TextForm::readBack(sent), read.fields(),
                                                read.config, options.homeBypass);
            if (differences.isEmpty())
                finish(QStringLiteral("ok"), true);
            else
                finish(QStringLiteral("verify: %1 fields differ").arg(differences.size()));
        }
    }

private:
    bool keepIdentity() const { return options.keepIdentity || options.units.size() > 1; }
    void write() { run(QStringLiteral("Write"), QStringLiteral("write"), sent); }

    const QStringList fileFields;
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
        finish(QStringLiteral("stopped"));
        break;
    }
}

void UnitJob::finish(const QString &text, bool success)
{
    if (done)
        return;
    done = true;
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
    file = path;
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
        if (options.command == QLatin1String("read"))
            job = new ReadJob(unit, link, options, this);
        else if (options.command == QLatin1String("write"))
            job = new WriteJob(unit, link, options, fileFields, this);
        else if (options.command == QLatin1String("verify"))
            job = new VerifyJob(unit, link, options, fileFields, this);
        else
            job = new FactoryJob(unit, link, options, this);
        connect(job, SIGNAL(finished()), this, SLOT(jobFinished()));
        jobs << job;
    }
    running = jobs.size();
    for (UnitJob *job : jobs) {
        if (!job->unit.serial && !unbound.isEmpty())
            QMetaObject::invokeMethod(
                job, "processEnd", Qt::QueuedConnection,
                Q_ARG(LinkOutcome, (LinkOutcome{LinkOutcome::CannotOpen, unbound})));
        else
            QMetaObject::invokeMethod(
                job, [job] { job->begin(); }, Qt::QueuedConnection);
    }
    if (!options.quiet && isatty(STDERR_FILENO)) {
        progress = new QTimer(this);
        connect(progress, SIGNAL(timeout()), this, SLOT(showProgress()));
        progress->start(100);
    }
}

int Fleet::exec()
{
    while (running > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (progress) {
        progress->stop();
        showProgress();
        // The results replace the progress lines.
        std::fprintf(stderr, "\033[%dA\033[J", progressLines);
    }
    report();
    bool all = true;
    for (const UnitJob *job : jobs)
        all = all && job->ok;
    return all ? 0 : 1;
}

void Fleet::jobFinished()
{
    auto *job = qobject_cast<UnitJob *>(sender());
    job->seconds = clock.nsecsElapsed() / 1e9;
    --running;
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
                               {"seconds", qRound(job->seconds * 1000) / 1000.0}};
            if (!job->file.isEmpty())
                object.insert(QStringLiteral("file"), job->file);
            QJsonArray differences;
            for (const TextForm::Difference &d : job->differences)
                differences << d.text();
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
