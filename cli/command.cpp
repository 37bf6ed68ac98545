#include "cli/command.h"

#include "cli/commands/commands.h"
#include "cli/options.h"
#include "cli/textform.h"

#include <cstdio>

Command::Command(const char *name, const QStringList &files, bool units, const QStringList &options,
                 const char *description)
    : name(QLatin1String(name)), files(files), units(units), options(options),
      description(QLatin1String(description))
{}

bool Command::accepts(const Options &options, QString *error) const
{
    for (const QString &file : options.files) {
        if (TextForm::formatOf(file) == TextForm::Format::Csv) {
            *error = QStringLiteral("%1: CSV holds only the home channels; convert it with "
                                    "--base first")
                         .arg(file);
            return false;
        }
    }
    return true;
}

bool Command::takes(const QString &option) const
{
    return options.contains(option) || needs(option);
}

bool Command::needs(const QString &option) const
{
    return options.contains(QLatin1Char('!') + option);
}

const QList<const Command *> &Command::all()
{
    static const QList<const Command *> list{
        &Commands::read(),   &Commands::write(),   &Commands::plan(),    &Commands::verify(),
        &Commands::backup(), &Commands::restore(), &Commands::factory(), &Commands::check(),
        &Commands::diff(),   &Commands::convert(),
    };
    return list;
}

const Command *Command::find(const QString &name)
{
    for (const Command *command : all()) {
        if (command->name == name)
            return command;
    }
    return nullptr;
}

int Command::refuse(const QString &why)
{
    std::fprintf(stderr, "velmora-cli: %s\n", why.toUtf8().constData());
    return 2;
}

void Command::print(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
}
