#include "cli/commands/commands.h"

#include "cli/fleetcommand.h"
#include "cli/options.h"
#include "cli/writejob.h"

namespace {

class Plan : public FleetCommand
{
public:
    Plan()
        : FleetCommand("plan", {"FILE"}, true, {"home-bypass", "keep-identity"},
                       "reads each unit and lists every field that write would change; writes "
                       "nothing. Warns of the values the window shows in red")
    {}

    UnitJob *job(const UnitTarget &unit, UnitLink *link, const Options &options,
                 const QStringList &fileFields, QObject *parent) const override
    {
        return new WriteJob(WriteJob::Plan, unit, link, options, fileFields, parent);
    }

    int status(bool allOk, bool anyChanged) const override
    {
        return !allOk ? 1 : anyChanged ? 3 : 0;
    }

protected:
    bool prepare(const Options &options, QStringList *fileFields, QString *error) const override
    {
        return loadAndWarn(options, fileFields, error);
    }
};

} // namespace

const Command &Commands::plan()
{
    static const Plan command;
    return command;
}
