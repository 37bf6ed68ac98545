#include "cli/writejob.h"

#include "app/datafile.h"
#include "cli/backups.h"

WriteJob::WriteJob(Mode mode, const UnitTarget &unit, UnitLink *link, const Options &options,
                   const QStringList &fileFields, QObject *parent)
    : UnitJob(unit, link, options, parent), mode(mode), fileFields(fileFields)
{}

void WriteJob::begin()
{
    if (mode == Restore) {
        const QString path = Backups::newest(options.files.at(0), unit.name);
        QString error;
        if (path.isEmpty())
            return finish(QStringLiteral("no backup"));
        if (!TextForm::load(path, QStringList(), &fileFields, &error))
            return finish(QStringLiteral("cannot read the backup: ") + error);
    }
    sent = TextForm::opened(fileFields);
    if (options.noBackup && !keepIdentity() && options.force)
        write();
    else
        run(QStringLiteral("Read"), QStringLiteral("backup"));
}

void WriteJob::transactionDone()
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
        if (mode == Plan)
            return finish(changed ? QStringLiteral("would change %1 fields").arg(differences.size())
                                  : QStringLiteral("unchanged"),
                          true);
        if (!changed && !options.force)
            return finish(QStringLiteral("unchanged"), true);
        differences.clear();
        if (!options.noBackup) {
            const QString path = mode == Restore
                                     ? Backups::newPath(options.files.at(0), unit.name,
                                                        QStringLiteral(".before-restore"))
                                     : Backups::newPath(options.backupDir, unit.name);
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
        differences = TextForm::differences(sentFields(), TextForm::readBack(sent), read.fields(),
                                            read.config, options.homeBypass);
        finishCompared();
    }
}

QString WriteJob::interrupted() const
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

bool WriteJob::keepIdentity() const
{
    return mode != Restore && (options.keepIdentity || options.units.size() > 1);
}

QStringList WriteJob::sentFields() const
{
    return DataFile::fieldsFromConfig(sent, DataFile::checksFromFeatureWord(sent.general.features));
}

void WriteJob::write()
{
    changed = true;
    run(QStringLiteral("Write"), QStringLiteral("write"), sent);
}
