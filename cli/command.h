#ifndef VELMORA_CLI_COMMAND_H
#define VELMORA_CLI_COMMAND_H

#include <QList>
#include <QString>
#include <QStringList>

struct Options;

/// One command of velmora-cli: what it takes, what --help says of it, and
/// how it runs. The parser checks a command line against it.
class Command
{
public:
    Command(const char *name, const QStringList &files, bool units, const QStringList &options,
            const char *description);
    virtual ~Command() = default;

    /// The rules of this command the option table cannot express; false
    /// with the reason. By default no file may be a CSV.
    virtual bool accepts(const Options &options, QString *error) const;
    /// Runs a checked command line; the exit status.
    virtual int run(const Options &options) const = 0;

    const QString name;
    const QStringList files; ///< the names --help gives the files after the command
    const bool units;        ///< takes units
    /// The options it takes besides the common ones; one it needs is
    /// written with a leading "!".
    const QStringList options;
    const QString description; ///< for --help

    /// Whether it takes the option (the long name, or "o").
    bool takes(const QString &option) const;
    bool needs(const QString &option) const;

    /// Every command, in the order --help lists them.
    static const QList<const Command *> &all();
    /// Null for an unknown name.
    static const Command *find(const QString &name);

    /// Says why on standard error; the exit status 2.
    static int refuse(const QString &why);
    /// One line on standard output.
    static void print(const QString &line);
};

#endif
