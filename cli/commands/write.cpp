#include "cli/commands/commands.h"

#include "cli/fleetcommand.h"
#include "cli/options.h"
#include "cli/writejob.h"

namespace {

class Write : public FleetCommand
{
public:
    Write()
        : FleetCommand(
              "write", {"FILE"}, true,
              {"home-bypass", "keep-identity", "backup-dir", "no-backup", "no-verify", "force"},
              "first reads each unit into a new backup in DIR and writes no unit whose "
              "backup failed; a unit that already holds what it would be sent ends "
              "unchanged, unwritten and without a backup. It then writes FILE and reads "
              "the unit back: a field that differs from what was sent fails the unit. "
              "Warns of the values the window shows in red")
    {}

    UnitJob *job(const UnitTarget &unit, UnitLink *link, const Options &options,
                 const QStringList &fileFields, QObject *parent) const override
    {
        return new WriteJob(WriteJob::Write, unit, link, options, fileFields, parent);
    }

protected:
    bool prepare(const Options &options, QStringList *fileFields, QString *error) const override
    {
        return loadAndWarn(options, fileFields, error) &&
               (options.noBackup || makeBackupFolder(options.backupDir, error));
    }
};

} // namespace

const Command &Commands::write()
{
    static const Write command;
    return command;
}
