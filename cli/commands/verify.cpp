#include "cli/commands/commands.h"

#include "cli/fleetcommand.h"
#include "cli/options.h"
#include "cli/unitjob.h"

namespace {

class VerifyJob : public UnitJob
{
public:
    VerifyJob(const UnitTarget &unit, UnitLink *link, const Options &options,
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
        finishCompared();
    }

private:
    const QStringList fileFields;
};

class Verify : public FleetCommand
{
public:
    Verify()
        : FleetCommand("verify", {"FILE"}, true, {"home-bypass"},
                       "lists each field of the unit that differs from FILE: NAME: \"file\" -> "
                       "\"unit\"")
    {}

    UnitJob *job(const UnitTarget &unit, UnitLink *link, const Options &options,
                 const QStringList &fileFields, QObject *parent) const override
    {
        return new VerifyJob(unit, link, options, fileFields, parent);
    }
};

} // namespace

const Command &Commands::verify()
{
    static const Verify command;
    return command;
}
