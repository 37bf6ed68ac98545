#ifndef VELMORA_CLI_FLEETCOMMAND_H
#define VELMORA_CLI_FLEETCOMMAND_H

#include "cli/command.h"

class QObject;
class UnitJob;
class UnitLink;
struct UnitTarget;

/// A command that talks to units: each unit gets a job of its own, all
/// run by a Fleet.
class FleetCommand : public Command
{
public:
    using Command::Command;

    int run(const Options &options) const override;

    /// The job of this command for one unit.
    virtual UnitJob *job(const UnitTarget &unit, UnitLink *link, const Options &options,
                         const QStringList &fileFields, QObject *parent) const = 0;
    /// The exit status once every unit is through, uninterrupted.
    virtual int status(bool allOk, bool anyChanged) const;

protected:
    /// Everything that can be refused before anything is sent: by default
    /// FILE is loaded into fileFields. False with the reason.
    virtual bool prepare(const Options &options, QStringList *fileFields, QString *error) const;

    /// The default prepare, then a warning on standard error for each value
    /// of FILE that the window shows in red.
    bool loadAndWarn(const Options &options, QStringList *fileFields, QString *error) const;
    static bool makeBackupFolder(const QString &folder, QString *error);
};

#endif
