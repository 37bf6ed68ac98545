#include "cli/options.h"

#include "cli/textform.h"
#include "link/udpwalk.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

struct Command
{
    const char *name;
    int files;          ///< positional files after the command
    bool units;         ///< takes units
    QStringList others; ///< the options it takes besides the common ones
};

const QList<Command> &commands()
{
    static const QList<Command> list{
        {"read", 0, true, {"home-bypass", "o"}},
        {"write",
         1,
         true,
         {"home-bypass", "keep-identity", "backup-dir", "no-backup", "no-verify", "force"}},
        {"plan", 1, true, {"home-bypass", "keep-identity"}},
        {"verify", 1, true, {"home-bypass"}},
        {"backup", 0, true, {"home-bypass", "backup-dir"}},
        {"restore", 1, true, {"home-bypass"}},
        {"factory", 0, true, {}},
        {"check", 1, false, {}},
        {"diff", 2, false, {}},
        {"convert", 2, false, {"base"}},
    };
    return list;
}

bool fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

bool addUnit(const QString &kind, const QString &target, QList<UnitSpec> *units,
             const QString &where, QString *error, const QString &name = QString())
{
    UnitSpec unit;
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

bool readUnitList(const QString &path, QList<UnitSpec> *units, QString *error)
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

QString usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  velmora-cli read    UNITS [--home-bypass] -o OUT\n"
        "  velmora-cli write   FILE UNITS [--home-bypass] [--keep-identity]\n"
        "                      [--backup-dir DIR | --no-backup] [--no-verify] [--force]\n"
        "  velmora-cli plan    FILE UNITS [--home-bypass] [--keep-identity]\n"
        "  velmora-cli verify  FILE UNITS [--home-bypass]\n"
        "  velmora-cli backup  UNITS [--home-bypass] [--backup-dir DIR]\n"
        "  velmora-cli restore DIR UNITS [--home-bypass]\n"
        "  velmora-cli factory UNITS\n"
        "  velmora-cli check   FILE\n"
        "  velmora-cli diff    FILE1 FILE2\n"
        "  velmora-cli convert IN OUT [--base FILE]\n"
        "UNITS: one or more of  --udp ADDRESS  --serial PORT  --units LISTFILE\n"
        "common: --trace FILE  --json  --quiet  --batch N  --max-fail N\n"
        "\n"
        "Reads, writes, verifies and backs up Tarvo Radio II units, all given units at\n"
        "the same time, over UDP (port 2055) or serial ports (115200 baud). There is no\n"
        "default unit. A LISTFILE holds one udp:ADDRESS or serial:PORT a line, each\n"
        "optionally after a name (loco-4411 udp:10.1.2.3; # starts a comment). With\n"
        "several units, OUT must contain {unit}, replaced by the name, the address or\n"
        "the port's file name.\n"
        "\n"
        "Configuration files are data files of velmora-radio or, ending in .json, the\n"
        "text form; convert also turns the home channels into CSV (.csv) and back,\n"
        "taking the rest from --base FILE or a freshly started window.\n"
        "\n"
        "write first reads each unit into DIR/{unit}-YYYYMMDD-HHMMSS.cfg (default\n"
        "./backups) and does not write a unit whose backup failed; with --keep-identity,\n"
        "and always with several units, each unit keeps its IP address, subnet mask,\n"
        "gateway, serial number and description. It then reads the unit back: a field\n"
        "that differs from what was sent fails the unit (--no-verify skips this). A\n"
        "unit that already holds what it would be sent ends unchanged, unwritten and\n"
        "without a backup, unless --force. plan lists what a write would change and\n"
        "writes nothing; backup reads into DIR; restore writes each unit's newest\n"
        "backup from DIR back whole, after keeping what it held as a .before-restore\n"
        "backup. check lists each value the window shows in red (plan and write warn\n"
        "of them). --batch N serves N units at a time; --max-fail N starts no new\n"
        "batch after N failures. SIGINT or SIGTERM stops after the running exchange.\n"
        "verify and diff list each field that differs: NAME: \"first\" -> \"second\".\n"
        "\n"
        "One line per unit on standard output: unit, result, seconds (--json: one JSON\n"
        "object a line). --trace FILE logs every request and answer in hex.\n"
        "Exit status: 0 all units succeeded (diff: no difference), 1 a unit failed\n"
        "(diff: the files differ; check: red values), 2 a bad command line or input\n"
        "file (nothing is sent), 3 plan: a unit would change, 130/143 interrupted.\n");
}

bool parseOptions(const QStringList &arguments, Options *options, QString *error)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QList<QCommandLineOption> all{
        {{"h", "help"}, ""},
        {"udp", "", "address"},
        {"serial", "", "port"},
        {"units", "", "file"},
        {"home-bypass", ""},
        {"keep-identity", ""},
        {"backup-dir", "", "dir"},
        {"no-backup", ""},
        {"no-verify", ""},
        {"force", ""},
        {"batch", "", "n"},
        {"max-fail", "", "n"},
        {"o", "", "file"},
        {"base", "", "file"},
        {"trace", "", "file"},
        {"json", ""},
        {"quiet", ""},
    };
    parser.addOptions(all);
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
    const auto command = std::find_if(commands().begin(), commands().end(), [&](const Command &c) {
        return options->command == QLatin1String(c.name);
    });
    if (command == commands().end())
        return fail(error, QStringLiteral("unknown command \"%1\"; the commands are read, write, "
                                          "plan, verify, backup, restore, factory, check, diff "
                                          "and convert")
                               .arg(options->command));
    if (positional.size() != command->files)
        return fail(error, QStringLiteral("%1 takes %2 file name%3, not %4")
                               .arg(options->command)
                               .arg(command->files)
                               .arg(command->files == 1 ? "" : "s")
                               .arg(positional.size()));
    options->files = positional;

    const QStringList common{"help", "trace", "json", "quiet", "batch", "max-fail"};
    const QStringList unitOptions{"udp", "serial", "units"};
    // optionNames() keeps the order of the command line, so units keep theirs.
    QHash<QString, int> taken;
    for (const QString &name : parser.optionNames()) {
        const QString option = name == QLatin1String("h") ? QStringLiteral("help") : name;
        const bool isUnit = unitOptions.contains(option);
        if (!common.contains(option) && !command->others.contains(option) &&
            !(isUnit && command->units))
            return fail(error, QStringLiteral("%1 does not take %2%3")
                                   .arg(options->command, option.size() > 1 ? "--" : "-", option));
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
    for (const UnitSpec &unit : options->units) {
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
    if (options->command == QLatin1String("read")) {
        if (options->output.isEmpty())
            return fail(error, QStringLiteral("read needs -o OUT"));
        if (options->units.size() > 1 && !options->output.contains(QLatin1String("{unit}")))
            return fail(error, QStringLiteral("with several units, OUT must contain {unit}"));
        if (TextForm::formatOf(options->output) == TextForm::Format::Csv)
            return fail(error,
                        QStringLiteral("read writes a data file or .json; convert makes CSV"));
    }
    if (options->command == QLatin1String("restore")) {
        if (!QFileInfo(options->files.at(0)).isDir())
            return fail(error,
                        QStringLiteral("%1 is no folder of backups").arg(options->files.at(0)));
        return true;
    }
    for (const QString &file : options->files) {
        if (options->command != QLatin1String("convert") &&
            TextForm::formatOf(file) == TextForm::Format::Csv)
            return fail(error, QStringLiteral("%1: CSV holds only the home channels; convert it "
                                              "with --base first")
                                   .arg(file));
    }
    if (!options->base.isEmpty() &&
        TextForm::formatOf(options->files.value(0)) != TextForm::Format::Csv)
        return fail(error, QStringLiteral("--base applies only to a CSV input"));
    return true;
}
