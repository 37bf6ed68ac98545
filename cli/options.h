#ifndef VELMORA_CLI_OPTIONS_H
#define VELMORA_CLI_OPTIONS_H

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

/// One unit to serve: an address on the network or a serial port.
struct UnitTarget
{
    bool serial = false;
    QString target;       ///< the address as typed, or the port
    QString name;         ///< what {unit}, the backup's name and the output show
    QHostAddress address; ///< network units only
};

/// The command line, checked: everything a command needs and nothing it
/// does not take.
struct Options
{
    QString command;
    QStringList files; ///< FILE, IN OUT or FILE1 FILE2
    QList<UnitTarget> units;
    QString output;
    QString base;
    QString backupDir = QStringLiteral("backups");
    QString trace;
    bool homeBypass = false;
    bool keepIdentity = false;
    bool noBackup = false;
    bool noVerify = false;
    bool force = false;
    int batch = 0;   ///< units at a time; 0 all
    int maxFail = 0; ///< no new batch once this many failed; 0 never stops
    bool json = false;
    bool quiet = false;
    bool help = false;
};

/// One option of the command line.
struct CliOption
{
    enum Kind
    {
        Unit,     ///< names a unit: for every command that takes units
        Common,   ///< taken by every command
        ByCommand ///< taken by the commands that list it
    };
    QStringList names;   ///< the last is the one commands list
    QString value;       ///< the name of its value; empty for a switch
    QString description; ///< for --help
    Kind kind = ByCommand;

    QString name() const { return names.last(); }
    /// "--udp ADDRESS", "-o OUT".
    QString synopsis() const;
};

/// Every option, in the order --help lists them.
const QList<CliOption> &cliOptions();

/// Parses the arguments after the program name. False with one line that
/// says what is wrong.
bool parseOptions(const QStringList &arguments, Options *options, QString *error);

/// The usage text of --help, made from the commands' and options' own
/// descriptions.
QString usage();

#endif
