#include "cli/commands/commands.h"

#include "cli/fleetcommand.h"
#include "cli/unitjob.h"

namespace {

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

class Factory : public FleetCommand
{
public:
    Factory() : FleetCommand("factory", {}, true, {}, "sends each unit the factory-mode frame") {}

    UnitJob *job(const UnitTarget &unit, UnitLink *link, const Options &options,
                 const QStringList &, QObject *parent) const override
    {
        return new FactoryJob(unit, link, options, parent);
    }
};

} // namespace

const Command &Commands::factory()
{
    static const Factory command;
    return command;
}
