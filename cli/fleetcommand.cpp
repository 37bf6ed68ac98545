#include "cli/fleetcommand.h"

#include "cli/fleet.h"
#include "cli/interrupts.h"
#include "cli/options.h"
#include "cli/textform.h"
#include "cli/trace.h"

#include <QDir>

#include <cstdio>

int FleetCommand::run(const Options &options) const
{
    QStringList fileFields;
    QString error;
    if (!prepare(options, &fileFields, &error))
        return refuse(error);
    Trace trace;
    if (!options.trace.isEmpty() && !trace.open(options.trace, &error))
        return refuse(error);
    Fleet fleet(*this, options, fileFields, options.trace.isEmpty() ? nullptr : &trace);
    // Ctrl+C and SIGTERM let each unit finish the exchange it has running.
    catchInterrupts(&fleet, "interrupt");
    return fleet.exec();
}

int FleetCommand::status(bool allOk, bool) const
{
    return allOk ? 0 : 1;
}

bool FleetCommand::prepare(const Options &options, QStringList *fileFields, QString *error) const
{
    return options.files.isEmpty() ||
           TextForm::load(options.files.at(0), QStringList(), fileFields, error);
}

bool FleetCommand::loadAndWarn(const Options &options, QStringList *fileFields,
                               QString *error) const
{
    if (!FleetCommand::prepare(options, fileFields, error))
        return false;
    for (const QString &line : TextForm::redValues(*fileFields))
        std::fprintf(stderr, "velmora-cli: warning: %s\n", line.toUtf8().constData());
    return true;
}

bool FleetCommand::makeBackupFolder(const QString &folder, QString *error)
{
    if (QDir().mkpath(folder))
        return true;
    *error = QStringLiteral("cannot create the backup folder %1").arg(folder);
    return false;
}
