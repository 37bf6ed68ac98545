#include "cli/commands/commands.h"

#include "cli/command.h"
#include "cli/options.h"
#include "cli/textform.h"

#include <cstdio>

namespace {

class Convert : public Command
{
public:
    Convert()
        : Command("convert", {"IN", "OUT"}, false, {"base"},
                  "converts between data files, .json and, for the home channels alone, .csv; "
                  "a CSV input takes the rest from --base FILE or a freshly started window")
    {}

    bool accepts(const Options &options, QString *error) const override
    {
        if (options.base.isEmpty() ||
            TextForm::formatOf(options.files.at(0)) == TextForm::Format::Csv)
            return true;
        *error = QStringLiteral("--base applies only to a CSV input");
        return false;
    }

    int run(const Options &options) const override
    {
        QStringList base = TextForm::freshFields();
        QStringList fields;
        QString error;
        if ((!options.base.isEmpty() &&
             !TextForm::load(options.base, QStringList(), &base, &error)) ||
            !TextForm::load(options.files.at(0), base, &fields, &error))
            return refuse(error);
        if (TextForm::save(options.files.at(1), fields, &error))
            return 0;
        std::fprintf(stderr, "velmora-cli: cannot write %s: %s\n",
                     options.files.at(1).toUtf8().constData(), error.toUtf8().constData());
        return 1;
    }
};

} // namespace

const Command &Commands::convert()
{
    static const Convert command;
    return command;
}
