#include "cli/command.h"
#include "cli/options.h"

namespace {

const int width = 79;

// Words of text after head, wrapped at the width, later lines indented to
// where the text began.
QString wrapped(const QString &head, const QString &text, int indent)
{
    QString out = head.size() < indent
                      ? head.leftJustified(indent)
                      : head + QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
    QString line;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
            out += line + QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return out + line + QLatin1Char('\n');
}

QString synopsis(const Command &command)
{
    QStringList words = command.files;
    if (command.units)
        words << QStringLiteral("UNITS");
    for (const CliOption &entry : cliOptions()) {
        if (command.needs(entry.name()))
            words << entry.synopsis();
        else if (command.takes(entry.name()))
            words << QLatin1Char('[') + entry.synopsis() + QLatin1Char(']');
    }
    return words.join(QLatin1Char(' '));
}

} // namespace

QString usage()
{
    QString text = QStringLiteral("Usage:\n");
    for (const Command *command : Command::all())
        text += wrapped(QStringLiteral("  velmora-cli ") + command->name, synopsis(*command), 22);
    QStringList units, common;
    for (const CliOption &entry : cliOptions()) {
        if (entry.kind == CliOption::Unit)
            units << entry.synopsis();
        else if (entry.kind == CliOption::Common)
            common << QLatin1Char('[') + entry.synopsis() + QLatin1Char(']');
    }
    text +=
        wrapped(QStringLiteral("UNITS:"), QStringLiteral("one or more of ") + units.join(", "), 7);
    text += wrapped(QStringLiteral("All take:"), common.join(QLatin1Char(' ')), 10);
    text += QStringLiteral(
        "\nReads, writes, verifies and backs up Tarvo Radio II units, all given units at\n"
        "the same time. There is no default unit. Configuration files are data files\n"
        "of velmora-radio or, ending in .json, the text form.\n"
        "\nCommands:\n");
    for (const Command *command : Command::all())
        text += wrapped(QStringLiteral("  ") + command->name, command->description, 11);
    text += QStringLiteral("\nOptions:\n");
    for (const CliOption &entry : cliOptions())
        text += wrapped(QStringLiteral("  ") + entry.synopsis(), entry.description, 22);
    return text +
           QStringLiteral(
               "\nOne line per unit on standard output: unit, result, seconds. SIGINT or\n"
               "SIGTERM stops each unit after its running exchange.\n"
               "Exit status: 0 all units succeeded (diff: no difference), 1 a unit failed\n"
               "(diff: the files differ; check: red values), 2 a bad command line or input\n"
               "file (nothing is sent), 3 plan: a unit would change, 130/143 interrupted.\n");
}
