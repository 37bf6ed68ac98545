#include "cli/options.h"

#include "cli/command.h"
#include "link/udpwalk.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

bool fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

bool addUnit(const QString &kind, const QString &target, QList<UnitTarget> *units,
             const QString &where, QString *error, const QString &name = QString())
{
    UnitTarget unit;
    unit.serial = kind == QLatin1String("serial");
    unit.target = target;
    if (unit.serial) {
        if (target.isEmpty())
            return fail(error, where + QStringLiteral("a serial unit needs a port"));
        unit.name = QFileInfo(target).fileName();
    } else {
        if (!parseUnitAddress(target, &unit.address))
            return fail(error,
                        where + QStringLiteral("%1 is not the address of one IPv4 host (four "
                                               "numbers of 0 to 255, such as 127.0.0.2)")
                                    .arg(target));
        unit.name = target;
    }
    if (!name.isEmpty())
        unit.name = name;
    *units << unit;
    return true;
}

bool readUnitList(const QString &path, QList<UnitTarget> *units, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        QString line = QString::fromUtf8(file.readLine());
        line = line.left(line.indexOf(QLatin1Char('#'))).trimmed();
        if (line.isEmpty())
            continue;
        const QString where = QStringLiteral("%1:%2: ").arg(path).arg(number);
        // An optional name first: "loco-4411 udp:10.1.2.3".
        static const QRegularExpression named(
            QStringLiteral("^([A-Za-z0-9][A-Za-z0-9._-]*)\\s+(\\S.*)$"));
        const QRegularExpressionMatch match = named.match(line);
        const QString name = match.hasMatch() ? match.captured(1) : QString();
        if (match.hasMatch())
            line = match.captured(2);
        else if (line.contains(QLatin1Char(' ')) || line.contains(QLatin1Char('\t')))
            return fail(error, where + QStringLiteral("a name is letters, digits and . _ -, "
                                                      "starting with a letter or digit"));
        const QString kind = line.section(QLatin1Char(':'), 0, 0);
        if (kind != QLatin1String("udp") && kind != QLatin1String("serial"))
            return fail(error, where + QStringLiteral("expected udp:ADDRESS or serial:PORT"));
        if (!addUnit(kind, line.section(QLatin1Char(':'), 1), units, where, error, name))
            return false;
    }
    return true;
}

} // namespace

const QList<CliOption> &cliOptions()
{
    using O = CliOption;
    static const QList<CliOption> list{
        {{"udp"}, "ADDRESS", "a unit on the network, UDP port 2055", O::Unit},
        {{"serial"}, "PORT", "a unit on a serial port, 115200 baud", O::Unit},
        {{"units"},
         "LISTFILE",
         "the units listed in LISTFILE, one udp:ADDRESS or serial:PORT a line, each "
         "optionally after a name (loco-4411 udp:10.1.2.3); # starts a comment",
         O::Unit},
        {{"o"},
         "OUT",
         "the file to read into; with several units it must contain {unit}, replaced by "
         "the unit's name, address or port"},
        {{"home-bypass"}, "", "leaves the 500 home channels out"},
        {{"keep-identity"},
         "",
         "each unit keeps its IP address, subnet mask, gateway, serial number and "
         "description (always so with several units)"},
        {{"backup-dir"}, "DIR", "where backups go (default ./backups)"},
        {{"no-backup"}, "", "writes without reading a backup first"},
        {{"no-verify"}, "", "does not read the unit back after writing"},
        {{"force"}, "", "writes a unit that already holds what it would be sent"},
        {{"base"}, "FILE", "what a CSV input does not hold (default: a freshly started window)"},
        {{"trace"}, "FILE", "logs every request and answer in hex", O::Common},
        {{"json"}, "", "one JSON object a line instead of the result lines", O::Common},
        {{"quiet"}, "", "no progress lines on a terminal", O::Common},
        {{"batch"}, "N", "serves N units at a time", O::Common},
        {{"max-fail"}, "N", "starts no new batch once N units have failed", O::Common},
        {{"h", "help"}, "", "shows this text", O::Common},
    };
    return list;
}

QString CliOption::synopsis() const
{
    const QString option = (name().size() > 1 ? "--" : "-") + name();
    return value.isEmpty() ? option : option + ' ' + value;
}

bool parseOptions(const QStringList &arguments, Options *options, QString *error)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    QHash<QString, CliOption> byName; // by each of its names
    for (const CliOption &entry : cliOptions()) {
        parser.addOption(QCommandLineOption(entry.names, entry.description, entry.value));
        for (const QString &name : entry.names)
            byName.insert(name, entry);
    }
    if (!parser.parse(QStringList{QStringLiteral("velmora-cli")} + arguments))
        return fail(error, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        options->help = true;
        return true;
    }
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return fail(error, QStringLiteral("no command given; see velmora-cli --help"));
    options->command = positional.takeFirst();
    const Command *command = Command::find(options->command);
    if (!command) {
        QStringList names;
        for (const Command *c : Command::all())
            names << c->name;
        return fail(error, QStringLiteral("unknown command \"%1\"; the commands are %2 and %3")
                               .arg(options->command, names.mid(0, names.size() - 1).join(", "),
                                    names.last()));
    }
    const int files = command->files.size();
    if (positional.size() != files)
        return fail(error, QStringLiteral("%1 takes %2 file name%3, not %4")
                               .arg(options->command)
                               .arg(files)
                               .arg(files == 1 ? "" : "s")
                               .arg(positional.size()));
    options->files = positional;

    // optionNames() keeps the order of the command line, so units keep theirs.
    QHash<QString, int> taken;
    for (const QString &name : parser.optionNames()) {
        const CliOption &entry = byName[name];
        const QString option = entry.name();
        const bool isUnit = entry.kind == CliOption::Unit;
        if (entry.kind != CliOption::Common && !command->takes(option) &&
            !(isUnit && command->units))
            return fail(error, QStringLiteral("%1 does not take %2")
                                   .arg(options->command, entry.synopsis().section(' ', 0, 0)));
        if (!isUnit)
            continue;
        const QString value = parser.values(option).value(taken[option]++);
        if (option == QLatin1String("units")
                ? !readUnitList(value, &options->units, error)
                : !addUnit(option, value, &options->units, QString(), error))
            return false;
    }
    if (command->units && options->units.isEmpty())
        return fail(error, QStringLiteral("%1 needs at least one unit: --udp ADDRESS, --serial "
                                          "PORT or --units LISTFILE")
                               .arg(options->command));
    QSet<QString> names, targets;
    for (const UnitTarget &unit : options->units) {
        // The same unit twice would get two walks at once and mixed answers.
        const QString target = unit.serial ? QFileInfo(unit.target).absoluteFilePath()
                                           : QStringLiteral("udp:") + unit.address.toString();
        if (targets.contains(target))
            return fail(error, QStringLiteral("unit %1 is given twice").arg(unit.target));
        if (names.contains(unit.name))
            return fail(error, QStringLiteral("unit %1 is given twice").arg(unit.name));
        names.insert(unit.name);
        targets.insert(target);
    }
    for (const char *count : {"batch", "max-fail"}) {
        if (!parser.isSet(QLatin1String(count)))
            continue;
        bool ok = false;
        const int n = parser.value(QLatin1String(count)).toInt(&ok);
        if (!ok || n < 1)
            return fail(error, QStringLiteral("--%1 takes a number of 1 or more").arg(count));
        (count == QByteArray("batch") ? options->batch : options->maxFail) = n;
    }

    options->output = parser.value(QStringLiteral("o"));
    options->base = parser.value(QStringLiteral("base"));
    options->trace = parser.value(QStringLiteral("trace"));
    if (parser.isSet(QStringLiteral("backup-dir")))
        options->backupDir = parser.value(QStringLiteral("backup-dir"));
    options->homeBypass = parser.isSet(QStringLiteral("home-bypass"));
    options->keepIdentity = parser.isSet(QStringLiteral("keep-identity"));
    options->noBackup = parser.isSet(QStringLiteral("no-backup"));
    options->noVerify = parser.isSet(QStringLiteral("no-verify"));
    options->force = parser.isSet(QStringLiteral("force"));
    options->json = parser.isSet(QStringLiteral("json"));
    options->quiet = parser.isSet(QStringLiteral("quiet"));
    if (options->noBackup && parser.isSet(QStringLiteral("backup-dir")))
        return fail(error, QStringLiteral("--backup-dir and --no-backup exclude each other"));
    for (const CliOption &entry : cliOptions()) {
        if (command->needs(entry.name()) && !parser.isSet(entry.name()))
            return fail(error,
                        QStringLiteral("%1 needs %2").arg(options->command, entry.synopsis()));
    }
    return command->accepts(*options, error);
}
