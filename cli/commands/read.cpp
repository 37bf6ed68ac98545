#include "cli/commands/commands.h"

#include "cli/fleetcommand.h"
#include "cli/options.h"
#include "cli/readjob.h"

namespace {

class Read : public FleetCommand
{
public:
    Read()
        : FleetCommand("read", {}, true, {"home-bypass", "!o"},
                       "reads each unit into OUT, a data file or .json")
    {}

    bool accepts(const Options &options, QString *error) const override
    {
        if (options.units.size() > 1 && !options.output.contains(QLatin1String("{unit}")))
            *error = QStringLiteral("with several units, OUT must contain {unit}");
        else if (TextForm::formatOf(options.output) == TextForm::Format::Csv)
            *error = QStringLiteral("read writes a data file or .json; convert makes CSV");
        else
            return true;
        return false;
    }

    UnitJob *job(const UnitTarget &unit, UnitLink *link, const Options &options,
                 const QStringList &, QObject *parent) const override
    {
        return new ReadJob(ReadJob::Output, unit, link, options, parent);
    }
};

} // namespace

const Command &Commands::read()
{
    static const Read command;
    return command;
}
