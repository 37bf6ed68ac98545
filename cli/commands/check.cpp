#include "cli/commands/commands.h"

#include "cli/command.h"
#include "cli/options.h"
#include "cli/textform.h"

namespace {

class Check : public Command
{
public:
    Check()
        : Command("check", {"FILE"}, false, {},
                  "lists each value of FILE that the window shows in red, one a line")
    {}

    int run(const Options &options) const override
    {
        QStringList fields;
        QString error;
        if (!TextForm::load(options.files.at(0), QStringList(), &fields, &error))
            return refuse(error);
        const QStringList lines = TextForm::redValues(fields);
        for (const QString &line : lines)
            print(line);
        return lines.isEmpty() ? 0 : 1;
    }
};

} // namespace

const Command &Commands::check()
{
    static const Check command;
    return command;
}
