#include "cli/command.h"
#include "cli/interrupts.h"
#include "cli/options.h"

#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// The command line checked in this process: its parsing, before anything is
// sent, and its signal handling.
class TestOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    int caughtSignal = 0;

    bool parse(const QString &line, Options *options, QString *error)
    {
        QStringList arguments = line.split(' ', Qt::SkipEmptyParts);
        arguments.replaceInStrings("OUT/", dir.path() + '/');
        return parseOptions(arguments, options, error);
    }

    static bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

public slots:
    void caught(int signal) { caughtSignal = signal; }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(writeFile(dir.filePath("list.txt"), "# depot\nnorth udp:127.0.0.5\n\n"
                                                    "serial:/dev/ttyS7 # a comment\n"));
        QVERIFY(writeFile(dir.filePath("badname.txt"), "udp:127.0.0.2\n-x udp:127.0.0.3\n"));
        QVERIFY(writeFile(dir.filePath("badkind.txt"), "tcp:127.0.0.2\n"));
        QVERIFY(writeFile(dir.filePath("noport.txt"), "serial:\n"));
    }

    void parsing_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("error"); // a part of it; empty when accepted
        QTest::addColumn<QString>("units"); // their names, in order
        // clang-format off
        QTest::newRow("units in the order given") << "read --udp 127.0.0.3 --units OUT/list.txt --udp 127.0.0.4 -o OUT/{unit}.cfg" << "" << "127.0.0.3 north ttyS7 127.0.0.4";
        QTest::newRow("options after the units") << "write a.cfg --serial /dev/ttyS1 --force --no-backup --batch 2" << "" << "ttyS1";
        QTest::newRow("a port twice, spelt two ways") << "read --serial /dev/ttyS1 --serial /dev/../dev/ttyS1 -o OUT/{unit}.cfg" << "unit /dev/../dev/ttyS1 is given twice" << "";
        QTest::newRow("a name not as names are") << "read --units OUT/badname.txt -o OUT/{unit}.cfg" << "badname.txt:2: a name is letters" << "";
        QTest::newRow("a link of no kind") << "read --units OUT/badkind.txt -o OUT/{unit}.cfg" << "badkind.txt:1: expected udp:ADDRESS or serial:PORT" << "";
        QTest::newRow("a serial unit without a port") << "read --units OUT/noport.txt -o OUT/x.cfg" << "noport.txt:1: a serial unit needs a port" << "";
        QTest::newRow("a list that is not there") << "read --units OUT/none.txt -o OUT/x.cfg" << "none.txt: No such file" << "";
        QTest::newRow("batch of none") << "read --udp 127.0.0.2 --batch 0 -o OUT/x.cfg" << "--batch takes a number of 1 or more" << "";
        QTest::newRow("max-fail not a number") << "read --udp 127.0.0.2 --max-fail x -o OUT/x.cfg" << "--max-fail takes a number of 1 or more" << "";
        QTest::newRow("backup folder and no backup") << "write a.cfg --udp 127.0.0.2 --backup-dir b --no-backup" << "--backup-dir and --no-backup exclude each other" << "";
        QTest::newRow("an option the command does not take") << "factory --udp 127.0.0.2 --home-bypass" << "factory does not take --home-bypass" << "";
        QTest::newRow("units to a file command") << "check a.cfg --udp 127.0.0.2" << "check does not take --udp" << "";
        QTest::newRow("a file missing") << "write --udp 127.0.0.2" << "write takes 1 file name, not 0" << "";
        QTest::newRow("a file too many") << "diff a.cfg b.cfg c.cfg" << "diff takes 2 file names, not 3" << "";
        QTest::newRow("read into CSV") << "read --udp 127.0.0.2 -o OUT/x.csv" << "convert makes CSV" << "";
        QTest::newRow("verify against CSV") << "verify a.csv --udp 127.0.0.2" << "a.csv: CSV holds only the home channels" << "";
        QTest::newRow("base for a data file") << "convert a.cfg b.json --base c.cfg" << "--base applies only to a CSV input" << "";
        QTest::newRow("base for CSV") << "convert a.csv b.cfg --base c.cfg" << "" << "";
        QTest::newRow("restore from a file") << "restore OUT/list.txt --udp 127.0.0.2" << "is no folder of backups" << "";
        QTest::newRow("no command") << "--json" << "no command given" << "";
        // clang-format on
    }

    void parsing()
    {
        QFETCH(QString, line);
        QFETCH(QString, error);
        QFETCH(QString, units);
        Options options;
        QString got;
        const bool ok = parse(line, &options, &got);
        QVERIFY2(ok == error.isEmpty(), qPrintable(got));
        QVERIFY2(got.contains(error), qPrintable(got));
        QStringList names;
        for (const UnitTarget &unit : options.units)
            names << unit.name;
        if (ok)
            QCOMPARE(names.join(' '), units);
    }

    // --help names, for each command, exactly the options the parser lets
    // it take, and marks those it cannot do without.
    void usageInStep()
    {
        const QStringList lines = usage().split('\n');
        for (const Command *command : Command::all()) {
            // The command's synopsis, its continuation lines included.
            const int first =
                lines.indexOf(QRegularExpression("  velmora-cli " + command->name + " .*"));
            QVERIFY(first >= 0);
            QString synopsis = lines.at(first);
            for (int k = first + 1; k < lines.size() && lines.at(k).startsWith("      "); ++k)
                synopsis += ' ' + lines.at(k).trimmed();
            QString base = command->name + ' ' + command->files.join(' ').replace("DIR", "OUT/") +
                           (command->units ? " --udp 127.0.0.2" : "");
            for (const CliOption &entry : cliOptions()) {
                if (entry.kind != CliOption::ByCommand)
                    continue;
                const QString value = entry.value.isEmpty() ? QString() : " OUT/x.cfg";
                const QString option = entry.synopsis().section(' ', 0, 0);
                const bool listed = synopsis.contains(QRegularExpression(
                    "[ \\[]" + QRegularExpression::escape(option) + "([ \\]]|$)"));
                const bool needed = !synopsis.contains('[' + entry.synopsis() + ']') && listed;
                Options withIt, without;
                QString error;
                parse(base + ' ' + option + value, &withIt, &error);
                QVERIFY2(error.contains("does not take") == !listed,
                         qPrintable(command->name + ' ' + option + ": " + error));
                error.clear();
                parse(base, &without, &error);
                QVERIFY2(error.contains("needs " + option) == needed,
                         qPrintable(command->name + ' ' + option + ": " + error));
            }
        }
    }

    // Signals raised in a child process, so that the one that ends it at once
    // ends only the child; raise() runs the handler before it returns.
    void interrupts_data()
    {
        QTest::addColumn<QList<int>>("raised");
        QTest::addColumn<int>("slotGot"); // what the child saw, as its exit status
        QTest::addColumn<int>("killedBy");
        QTest::newRow("SIGINT reaches the slot") << QList<int>{SIGINT} << SIGINT << 0;
        QTest::newRow("SIGTERM reaches the slot") << QList<int>{SIGTERM} << SIGTERM << 0;
        QTest::newRow("a second SIGINT ends at once") << QList<int>{SIGINT, SIGINT} << 0 << SIGINT;
        QTest::newRow("SIGINT after SIGTERM") << QList<int>{SIGTERM, SIGINT} << 0 << SIGINT;
    }

    void interrupts()
    {
        QFETCH(QList<int>, raised);
        QFETCH(int, slotGot);
        QFETCH(int, killedBy);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            catchInterrupts(this, "caught");
            for (int signal : raised)
                std::raise(signal);
            QDeadlineTimer deadline(5000);
            while (!caughtSignal && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
            _exit(caughtSignal);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        if (killedBy) {
            QVERIFY2(WIFSIGNALED(status), qPrintable(QString::number(status)));
            QCOMPARE(WTERMSIG(status), killedBy);
        } else {
            QVERIFY2(WIFEXITED(status), qPrintable(QString::number(status)));
            QCOMPARE(WEXITSTATUS(status), slotGot);
        }
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
