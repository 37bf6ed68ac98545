#include "cli/commands/commands.h"

#include "cli/fleetcommand.h"
#include "cli/options.h"
#include "cli/readjob.h"

namespace {

class Backup : public FleetCommand
{
public:
    Backup()
        : FleetCommand("backup", {}, true, {"home-bypass", "backup-dir"},
                       "reads each unit into a new backup in DIR, named "
                       "{unit}-YYYYMMDD-HHMMSS.cfg")
    {}

    UnitJob *job(const UnitTarget &unit, UnitLink *link, const Options &options,
                 const QStringList &, QObject *parent) const override
    {
        return new ReadJob(ReadJob::Backup, unit, link, options, parent);
    }

protected:
    bool prepare(const Options &options, QStringList *, QString *error) const override
    {
        return makeBackupFolder(options.backupDir, error);
    }
};

} // namespace

const Command &Commands::backup()
{
    static const Backup command;
    return command;
}
