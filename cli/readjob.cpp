#include "cli/readjob.h"

#include "cli/backups.h"

ReadJob::ReadJob(Into into, const UnitTarget &unit, UnitLink *link, const Options &options,
                 QObject *parent)
    : UnitJob(unit, link, options, parent), into(into)
{}

void ReadJob::begin()
{
    run(QStringLiteral("Read"), QStringLiteral("read"));
}

void ReadJob::transactionDone()
{
    const QString path = into == Backup
                             ? Backups::newPath(options.backupDir, unit.name)
                             : QString(options.output).replace(QLatin1String("{unit}"), unit.name);
    if (!saveOrFail(path, read.fields()))
        return;
    (into == Backup ? backup : file) = path;
    finish(QStringLiteral("ok"), true);
}
