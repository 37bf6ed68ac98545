#include "cli/commands/commands.h"

#include "cli/fleetcommand.h"
#include "cli/options.h"
#include "cli/writejob.h"

#include <QFileInfo>

namespace {

class Restore : public FleetCommand
{
public:
    Restore()
        : FleetCommand("restore", {"DIR"}, true, {"home-bypass"},
                       "writes each unit's newest backup from DIR back whole, identity included, "
                       "after keeping what it held as a .before-restore backup, then reads it "
                       "back. A unit without a backup ends \"no backup\", untouched")
    {}

    bool accepts(const Options &options, QString *error) const override
    {
        if (QFileInfo(options.files.at(0)).isDir())
            return true;
        *error = QStringLiteral("%1 is no folder of backups").arg(options.files.at(0));
        return false;
    }

    UnitJob *job(const UnitTarget &unit, UnitLink *link, const Options &options,
                 const QStringList &, QObject *parent) const override
    {
        return new WriteJob(WriteJob::Restore, unit, link, options, QStringList(), parent);
    }

protected:
    // Each unit's backup is loaded when its job begins.
    bool prepare(const Options &, QStringList *, QString *) const override { return true; }
};

} // namespace

const Command &Commands::restore()
{
    static const Restore command;
    return command;
}
