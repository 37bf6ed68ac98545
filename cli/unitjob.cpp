#include "cli/fleet.h"

#include "app/datafile.h"
#include "cli/links.h"
#include "link/frames.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

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

UnitJob *UnitJob::make(const UnitSpec &unit, UnitLink *link, const Options &options,
                       const QStringList &fileFields, QObject *parent)
{
    const QString &command = options.command;
    if (command == QLatin1String("read") || command == QLatin1String("backup"))
        return new ReadJob(unit, link, options, parent);
    if (command == QLatin1String("write") || command == QLatin1String("plan") ||
        command == QLatin1String("restore"))
        return new WriteJob(unit, link, options, fileFields, parent);
    if (command == QLatin1String("verify"))
        return new VerifyJob(unit, link, options, fileFields, parent);
    return new FactoryJob(unit, link, options, parent);
}
