#include "app/datafile.h"
#include "app/mainwindow.h"
#include "link/linkdialog.h"
#include "link/parameters.h"
#include "tests/testsupport.h"
#include "unit/radiounit.h"

#include <QUdpSocket>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <thread>

namespace {

QStringList fieldsOf(const QString &path)
{
    QStringList fields;
    QString error;
    return DataFile::loadFields(path, &fields, &error) ? fields : QStringList{error};
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What the window saves after a Read of a unit holding config (or a unit
// nobody configured): a fresh window, every answer through its decoder.
QByteArray savedAfterRead(const RadioConfig *config, const QString &path)
{
    RadioUnit unit;
    if (config)
        unit.loadConfig(*config);
    MainWindow window;
    LinkDialog dialog(&window);
    for (const QByteArray &request : walkOf("read", Frames::CommandCount, {}))
        dialog.showResponse(unit.answer(request));
    return window.saveFile(path) ? contents(path) : QByteArray("<not saved>");
}

} // namespace

// velmora-cli run as a maintainer runs it, against emulated units served by
// radio-unit-sim on loopback addresses and pseudo-terminals.
class TestCli : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QProcess sim;
    int warnings = 0; ///< of the last cli()

    QString at(const QString &name) const { return dir.filePath(name); }

    // Starts radio-unit-sim and waits until it serves every unit asked for.
    bool startSim(const QString &options)
    {
        if (options.isEmpty())
            return true;
        const QStringList arguments = options.split(' ').replaceInStrings("OUT/", dir.path() + '/');
        // Into a file: a pipe nobody reads would stall it once full.
        sim.setStandardOutputFile(at("sim.log"));
        sim.start(RADIO_UNIT_SIM, arguments + QStringList{"--max-seconds", "120"});
        const int fleet = arguments.contains("--fleet")
                              ? arguments.at(arguments.indexOf("--fleet") + 1).toInt()
                              : 1;
        const int expected =
            fleet * (!arguments.contains("--no-udp") + arguments.contains("--pty-link"));
        const auto served = [&] {
            const QByteArray log = contents(at("sim.log"));
            return log.count("udp: listening") + log.count("pty link:");
        };
        QElapsedTimer clock;
        for (clock.start(); served() < expected && !clock.hasExpired(10000);)
            sim.waitForFinished(20);
        return served() == expected;
    }

    // Stops radio-unit-sim; its log.
    QByteArray stopSim()
    {
        if (sim.state() == QProcess::NotRunning)
            return QByteArray();
        sim.terminate();
        sim.waitForFinished(10000);
        return contents(at("sim.log"));
    }

    // Starts velmora-cli in the folder, OUT/ and SAMPLE in command replaced.
    void startCli(QProcess &run, const QString &command)
    {
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.setWorkingDirectory(dir.path());
        QStringList arguments = command.split(' ', Qt::SkipEmptyParts);
        arguments.replaceInStrings("OUT/", dir.path() + '/').replaceInStrings("SAMPLE", SAMPLE);
        run.start(VELMORA_CLI, arguments);
    }

    int cli(const QString &command, QByteArray *output)
    {
        QProcess run;
        startCli(run, command);
        if (!run.waitForFinished(60000))
            return -1;
        *output = run.readAll();
        // Warnings of red values are checked on their own.
        static const QRegularExpression warning("^velmora-cli: warning: .*\n",
                                                QRegularExpression::MultilineOption);
        warnings = output->count("velmora-cli: warning: ");
        *output = QString::fromUtf8(*output).remove(warning).toUtf8();
        return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        const RadioConfig other = sampleConfig();
        const QString checks = DataFile::checksFromFeatureWord(other.general.features);
        QString error;
        QVERIFY2(DataFile::saveFields(at("other.cfg"), DataFile::fieldsFromConfig(other, checks),
                                      &error),
                 qPrintable(error));
        // clang-format off
        QVERIFY(writeFile(at("foreign.cfg"), bytesOf({"Other program", "1", "data"})));
        QVERIFY(writeFile(at("shape.json"), "{\n    \"format\": \"velmora-radio configuration\",\n    \"general\": {\n        \"ip\": 5\n    }\n}\n"));
        QVERIFY(writeFile(at("range.csv"), "\xEF\xBB\xBFrow,tx,rx,ran_tx,ran_rx,label\n1,901,901,01,01,\"A, B\"\n501,5,5,,,\n"));
        QVERIFY(writeFile(at("twice.csv"), "row,tx,rx,ran_tx,ran_rx,label\n3,5,5,,,\n\"3\",6,6,,,\n"));
        QVERIFY(writeFile(at("comma.csv"), "row,tx,rx,ran_tx,ran_rx,label\n1,901,901,01,01,\"A, B\"\n"));
        QVERIFY(writeFile(at("red.json"), "{\"format\": \"velmora-radio configuration\", \"general\": {\"dtmfDelay\": \"25\", \"minVolume\": \"30\", \"serialNumber\": \"ABCDEFGHIJKLMNOPQ\", \"ip\": \"10.0.0.x\", \"subnetMask\": \"255.0.0.0 \"}, \"home\": {\"1\": {\"tx\": \"200\", \"rx\": \"200\", \"ranTx\": \"5\", \"ranRx\": \"40\", \"label\": \"SEVENTEEN LETTERS\"}, \"2\": {\"tx\": \"900\", \"rx\": \"5\"}}}"));
        QVERIFY(writeFile(at("named.txt"), "north udp:127.0.0.2\nsouth udp:127.0.0.3\n"));
        QVERIFY(writeFile(at("sameaddress.txt"), "north udp:127.0.0.2\nsouth udp:127.0.0.2\n"));
        QVERIFY(writeFile(at("samename.txt"), "north udp:127.0.0.2\nnorth udp:127.0.0.3\n"));
        QVERIFY(QDir().mkpath(at("empty")));
        QVERIFY(writeFile(at("odd.json"), "{\"format\": \"velmora-radio configuration\", \"general\": {\"dtmfDelay\": \"300\", \"userDescription\": \"a description of over sixteen letters\"}, \"home\": {\"1\": {\"tx\": \"1234\", \"rx\": \"5\", \"ranTx\": \"00\", \"ranRx\": \"00\", \"label\": \" lead\"}}}"));
        // clang-format on
    }

    void cleanup() { stopSim(); }

    void commands_data()
    {
        QTest::addColumn<QString>("simOptions");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // a pattern of the whole output
        QTest::addColumn<QString>("check");
        const QString ok = "127\\.0\\.0\\.2  ok  [0-9.]+ s\n";
        // clang-format off
        QTest::newRow("read a configured unit") << "--no-serial --load SAMPLE" << "read --udp 127.0.0.2 -o OUT/read.cfg" << 0 << ok << "saved as the window saves: sample";
        QTest::newRow("read a fresh unit to JSON") << "--no-serial" << "read --udp 127.0.0.2 -o OUT/fresh.json --json" << 0 << "\\{.*\"result\":\"ok\".*\\}\n" << "saved as the window saves: fresh";
        QTest::newRow("write with backup, identity kept") << "--no-serial --load SAMPLE" << "write OUT/other.cfg --udp 127.0.0.2 --keep-identity --backup-dir OUT/backups" << 0 << ok << "backup and identity";
        QTest::newRow("write refused by the unit") << "--no-serial --error-record 12" << "write OUT/other.cfg --udp 127.0.0.2 --no-backup" << 1 << "127\\.0\\.0\\.2  parameter error: Channel parameter error detected  [0-9.]+ s\n" << "";
        QTest::newRow("verify with a planted difference") << "--no-serial --load OUT/other.cfg" << "verify SAMPLE --udp 127.0.0.2 --home-bypass" << 1 << "127\\.0\\.0\\.2  verify: 10 fields differ  [0-9.]+ s\n  general.ip: \"10.20.30.41\" -> \"172.16.5.4\"\n(  .*\n){9}" << "";
        QTest::newRow("factory mode, traced") << "--no-serial" << "factory --udp 127.0.0.2 --trace OUT/trace.txt" << 0 << ok << "factory frame traced";
        QTest::newRow("fleet of four, one silent") << "--fleet 3 --no-serial --load SAMPLE" << "read --udp 127.0.0.2 --udp 127.0.0.3 --udp 127.0.0.4 --udp 127.0.0.5 -o OUT/{unit}.cfg" << 1 << "(127\\.0\\.0\\.[234]  ok  [0-9.]+ s\n){3}127\\.0\\.0\\.5  timeout  [0-9.]+ s\n" << "three units read";
        QTest::newRow("fleet of two on pseudo-terminals") << "--fleet 2 --no-udp --pty-link OUT/unit" << "read --serial OUT/unit1 --serial OUT/unit2 -o OUT/{unit}.cfg" << 0 << "unit1  ok  [0-9.]+ s\nunit2  ok  [0-9.]+ s\n" << "two units read";
        QTest::newRow("diff") << "" << "diff SAMPLE OUT/other.cfg" << 1 << "general.ip: \"10.20.30.41\" -> \"172.16.5.4\"\n(.*\n){2000,}" << "";
        QTest::newRow("no difference") << "" << "diff SAMPLE SAMPLE" << 0 << "" << "";
        QTest::newRow("convert to JSON and back") << "" << "convert SAMPLE OUT/sample.json" << 0 << "" << "json round trip";
        QTest::newRow("convert to CSV and back") << "" << "convert SAMPLE OUT/sample.csv" << 0 << "" << "csv round trip";
        QTest::newRow("unknown command") << "--no-serial" << "frob --udp 127.0.0.2" << 2 << "velmora-cli: unknown command \"frob\".*\n" << "nothing sent";
        QTest::newRow("no unit") << "--no-serial" << "read -o OUT/x.cfg" << 2 << "velmora-cli: read needs at least one unit.*\n" << "nothing sent";
        QTest::newRow("shortened address") << "--no-serial" << "read --udp 127.2 -o OUT/x.cfg" << 2 << "velmora-cli: 127.2 is not the address of one IPv4 host.*\n" << "nothing sent";
        QTest::newRow("missing data file") << "--no-serial" << "write OUT/none.cfg --udp 127.0.0.2" << 2 << "velmora-cli: .*none.cfg: No such file or directory\n" << "nothing sent";
        QTest::newRow("foreign data file") << "--no-serial" << "verify OUT/foreign.cfg --udp 127.0.0.2" << 2 << "velmora-cli: .*foreign.cfg: not a data file of velmora-radio\n" << "nothing sent";
        QTest::newRow("JSON of the wrong shape") << "--no-serial" << "write OUT/shape.json --udp 127.0.0.2" << 2 << "velmora-cli: .*shape.json:4: general.ip must be a text or null\n" << "nothing sent";
        QTest::newRow("CSV row out of range") << "" << "convert OUT/range.csv OUT/range.cfg" << 2 << "velmora-cli: .*range.csv:3: row \"501\" is no number from 1 to 500\n" << "nothing written";
        QTest::newRow("plan against a unit that differs") << "--no-serial --load SAMPLE" << "plan OUT/other.cfg --udp 127.0.0.2" << 3 << "127\\.0\\.0\\.2  would change [0-9]+ fields  [0-9.]+ s\n(  .* -> .*\n)+" << "no write frame, warned";
        QTest::newRow("plan with a silent unit") << "--no-serial --load SAMPLE" << "plan OUT/other.cfg --udp 127.0.0.9 --udp 127.0.0.2" << 1 << "127\\.0\\.0\\.9  timeout  [0-9.]+ s\n127\\.0\\.0\\.2  would change [0-9]+ fields  [0-9.]+ s\n(  .* -> .*\n)+" << "no write frame";
        QTest::newRow("plan over serial") << "--no-udp --load SAMPLE --pty-link OUT/pp" << "plan OUT/other.cfg --serial OUT/pp" << 3 << "pp  would change [0-9]+ fields  [0-9.]+ s\n(  .* -> .*\n)+" << "no write frame";
        QTest::newRow("plan, keys of JSON") << "--no-serial --load SAMPLE" << "plan SAMPLE --udp 127.0.0.2 --json" << 0 << "\\{\"changed\":false,.*\"result\":\"unchanged\".*\\}\n" << "no write frame";
        QTest::newRow("write to an unchanged unit") << "--no-serial --load SAMPLE" << "write SAMPLE --udp 127.0.0.2 --backup-dir OUT/unchanged" << 0 << "127\\.0\\.0\\.2  unchanged  [0-9.]+ s\n" << "no write frame, no backup";
        QTest::newRow("one unit without --keep-identity, backed up") << "--no-serial --load SAMPLE" << "write OUT/other.cfg --udp 127.0.0.2 --backup-dir OUT/single --json" << 0 << "\\{.*\"backup_file\":\"[^\"]*single/127.0.0.2-[0-9-]+\\.cfg\".*\"result\":\"ok\".*\\}\n" << "one backup, the file's identity";
        QTest::newRow("backup folder unwritable") << "--no-serial --load SAMPLE" << "write OUT/other.cfg --udp 127.0.0.2 --backup-dir /proc/self" << 1 << "127\\.0\\.0\\.2  cannot write /proc/self/.*  [0-9.]+ s\n" << "no write frame";
        QTest::newRow("a unit that keeps no description") << "--no-serial --ignore-write 3C" << "write OUT/other.cfg --udp 127.0.0.2 --no-backup" << 1 << "127\\.0\\.0\\.2  verify: 1 fields differ  [0-9.]+ s\n  general.userDescription: .*\n" << "";
        QTest::newRow("values the unit keeps otherwise") << "--no-serial" << "write OUT/odd.json --udp 127.0.0.2 --no-backup" << 0 << ok << "plan finds it unchanged";
        QTest::newRow("fleet, first unit silent, identity kept") << "--fleet 2 --no-serial --load SAMPLE" << "write OUT/other.cfg --udp 127.0.0.9 --udp 127.0.0.2 --udp 127.0.0.3 --no-backup" << 1 << "127\\.0\\.0\\.9  timeout  [0-9.]+ s\n(127\\.0\\.0\\.[23]  ok  [0-9.]+ s\n){2}" << "identities kept";
        QTest::newRow("home bypass on a forced write") << "--no-serial --load OUT/other.cfg" << "write OUT/other.cfg --udp 127.0.0.2 --backup-dir OUT/forced --home-bypass --force" << 0 << ok << "30 requests";
        QTest::newRow("max-fail leaves the rest") << "--no-serial" << "read --udp 127.0.0.9 --udp 127.0.0.2 --batch 1 --max-fail 1 -o OUT/{unit}.cfg" << 1 << "127\\.0\\.0\\.9  timeout  [0-9.]+ s\n127\\.0\\.0\\.2  not started  [0-9.]+ s\n" << "nothing sent";
        QTest::newRow("named units") << "--fleet 2 --no-serial --load SAMPLE" << "backup --units OUT/named.txt --backup-dir OUT/named" << 0 << "north  ok  [0-9.]+ s\nsouth  ok  [0-9.]+ s\n" << "restore brings the backups back";
        QTest::newRow("restore without a backup") << "--no-serial" << "restore OUT/empty --udp 127.0.0.2" << 1 << "127\\.0\\.0\\.2  no backup  [0-9.]+ s\n" << "nothing sent";
        QTest::newRow("check lists every red value") << "" << "check OUT/red.json" << 1 << "general.ip: \"10.0.0.x\" is shown in red: not an address\ngeneral.subnetMask: \"255.0.0.0 \" .*\ngeneral.dtmfDelay: \"25\" .*\ngeneral.minVolume: \"30\" .*\ngeneral.serialNumber: .*\nhome.1.tx: \"200\" .*: no channel of the unit\nhome.1.rx: .*\nhome.1.ranTx: \"5\" .*\nhome.1.ranRx: \"40\" .*\nhome.1.label: .*\nhome.2.tx: \"900\" .*: TX and RX in different bands\nhome.2.rx: \"5\" .*: TX and RX in different bands\n" << "";
        QTest::newRow("CSV keeps a comma") << "" << "convert OUT/comma.csv OUT/comma.cfg --base SAMPLE" << 0 << "" << "csv comma round trip";
        QTest::newRow("JSON keys sorted") << "" << "convert SAMPLE OUT/sorted.json" << 0 << "" << "general keys sorted";
        QTest::newRow("same address twice") << "--no-serial" << "read --units OUT/sameaddress.txt -o OUT/{unit}.cfg" << 2 << "velmora-cli: unit 127.0.0.2 is given twice\n" << "nothing sent";
        QTest::newRow("same name twice") << "--no-serial" << "read --units OUT/samename.txt -o OUT/{unit}.cfg" << 2 << "velmora-cli: unit north is given twice\n" << "nothing sent";
        QTest::newRow("several units, one output") << "--no-serial" << "read --udp 127.0.0.2 --udp 127.0.0.3 -o OUT/one.cfg" << 2 << "velmora-cli: with several units, OUT must contain \\{unit\\}\n" << "nothing sent";
        QTest::newRow("reserved block") << "--no-serial" << "read --udp 240.0.0.1 -o OUT/x.cfg" << 2 << "velmora-cli: 240.0.0.1 is not the address of one IPv4 host.*\n" << "nothing sent";
        QTest::newRow("limited broadcast") << "--no-serial" << "read --udp 255.255.255.255 -o OUT/x.cfg" << 2 << "velmora-cli: 255.255.255.255 is not the address of one IPv4 host.*\n" << "nothing sent";
        QTest::newRow("CSV row twice") << "" << "convert OUT/twice.csv OUT/twice.cfg" << 2 << "velmora-cli: .*twice.csv:3: row 3 is given twice\n" << "nothing written";
        // clang-format on
    }

    void commands()
    {
        QFETCH(QString, simOptions);
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, check);
        QVERIFY(startSim(simOptions.replace("SAMPLE", SAMPLE)));
        QByteArray got;
        QCOMPARE(cli(command, &got), status);
        QVERIFY2(QRegularExpression("\\A" + output + "\\z").match(got).hasMatch(), got.constData());

        const RadioConfig sample = DataFile::configFromFields(fieldsOf(SAMPLE));
        static const QRegularExpression writeFrame("<- [0-9A-F]{2} 01");
        QByteArray again;
        const QMap<QString, std::function<bool()>> checks{
            {"", [] { return true; }},
            {"saved as the window saves: sample",
             [&] { return contents(at("read.cfg")) == savedAfterRead(&sample, at("window.cfg")); }},
            {"saved as the window saves: fresh",
             [&] {
                 return cli("convert OUT/fresh.json OUT/fresh.cfg", &again) == 0 &&
                        contents(at("fresh.cfg")) == savedAfterRead(nullptr, at("window.cfg"));
             }},
            {"backup and identity",
             [&] {
                 const QStringList backups = QDir(at("backups")).entryList({"127.0.0.2-*.cfg"});
                 // The unit now holds the file with its own identity.
                 RadioConfig expected = sampleConfig();
                 expected.general.ip = sample.general.ip,
                 expected.general.gateway = sample.general.gateway;
                 expected.general.subnetMask = sample.general.subnetMask;
                 expected.general.serialNumber = sample.general.serialNumber;
                 expected.general.userDescription = sample.general.userDescription;
                 return backups.size() == 1 &&
                        contents(at("backups/" + backups.first())) ==
                            savedAfterRead(&sample, at("window.cfg")) &&
                        cli("read --udp 127.0.0.2 -o OUT/after.cfg", &again) == 0 &&
                        DataFile::configFromFields(fieldsOf(at("after.cfg"))) == expected;
             }},
            {"factory frame traced",
             [&] {
                 const QByteArray trace = contents(at("trace.txt"));
                 return trace.contains(" 127.0.0.2 > 35 01 05\n") &&
                        trace.contains(" 127.0.0.2 < 35 01 00\n");
             }},
            {"three units read",
             [&] {
                 for (int k = 1; k <= 3; ++k) {
                     RadioConfig unit = sample;
                     unit.general.serialNumber += QString("-%1").arg(k);
                     if (DataFile::configFromFields(
                             fieldsOf(at(QString("127.0.0.%1.cfg").arg(k + 1)))) != unit)
                         return false;
                 }
                 return !QFile::exists(at("127.0.0.5.cfg"));
             }},
            {"two units read",
             [&] {
                 return fieldsOf(at("unit1.cfg")).value(7).endsWith("-1") &&
                        fieldsOf(at("unit2.cfg")).value(7).endsWith("-2");
             }},
            {"json round trip",
             [&] {
                 return cli("convert OUT/sample.json OUT/back.cfg", &again) == 0 &&
                        contents(at("back.cfg")) == contents(SAMPLE);
             }},
            {"csv round trip",
             [&] {
                 return cli("convert OUT/sample.csv OUT/table.cfg --base OUT/other.cfg", &again) ==
                            0 &&
                        cli("diff OUT/table.cfg OUT/other.cfg", &again) == 1 &&
                        !again.contains("general.") &&
                        cli("convert OUT/sample.csv OUT/same.cfg --base SAMPLE", &again) == 0 &&
                        cli("diff OUT/same.cfg SAMPLE", &again) == 0;
             }},
            {"nothing sent", [&] { return !stopSim().contains(" <- "); }},
            {"no write frame",
             [&] { return !QString::fromLatin1(stopSim()).contains(writeFrame); }},
            {"no write frame, warned",
             [&] { return warnings > 0 && !QString::fromLatin1(stopSim()).contains(writeFrame); }},
            {"no write frame, no backup",
             [&] {
                 return !QString::fromLatin1(stopSim()).contains(writeFrame) &&
                        QDir(at("unchanged")).entryList(QDir::Files).isEmpty();
             }},
            {"one backup, the file's identity",
             [&] {
                 return QDir(at("single")).entryList({"127.0.0.2-*.cfg"}).size() == 1 &&
                        cli("read --udp 127.0.0.2 -o OUT/single.cfg", &again) == 0 &&
                        DataFile::configFromFields(fieldsOf(at("single.cfg"))) == sampleConfig();
             }},
            {"identities kept",
             [&] {
                 for (int k = 1; k <= 2; ++k) {
                     const QString file = QString("OUT/kept%1.cfg").arg(k);
                     if (cli(QString("read --udp 127.0.0.%1 -o %2").arg(k + 1).arg(file), &again))
                         return false;
                     RadioConfig expected = sampleConfig();
                     expected.general.ip = sample.general.ip;
                     expected.general.gateway = sample.general.gateway;
                     expected.general.subnetMask = sample.general.subnetMask;
                     expected.general.serialNumber =
                         sample.general.serialNumber + QString("-%1").arg(k);
                     expected.general.userDescription = sample.general.userDescription;
                     if (DataFile::configFromFields(fieldsOf(at(QString("kept%1.cfg").arg(k)))) !=
                         expected)
                         return false;
                 }
                 return true;
             }},
            {"plan finds it unchanged",
             [&] { return cli("plan OUT/odd.json --udp 127.0.0.2", &again) == 0; }},
            // Backup read, write and read-back of the ten general frames.
            {"30 requests", [&] { return stopSim().count("<- ") == 30; }},
            {"restore brings the backups back",
             [&] {
                 if (cli("write OUT/other.cfg --udp 127.0.0.2 --no-backup", &again) ||
                     cli("restore OUT/named --units OUT/named.txt", &again))
                     return false;
                 const QStringList before =
                     QDir(at("named")).entryList({"north-*.before-restore.cfg"});
                 return before.size() == 1 &&
                        DataFile::configFromFields(fieldsOf(at("named/" + before.first()))) ==
                            sampleConfig() &&
                        cli("verify OUT/named/" +
                                QDir(at("named")).entryList({"north-*[0-9].cfg"}).value(0) +
                                " --udp 127.0.0.2",
                            &again) == 0;
             }},
            {"csv comma round trip",
             [&] {
                 return cli("convert OUT/comma.cfg OUT/comma2.csv", &again) == 0 &&
                        contents(at("comma2.csv")) == contents(at("comma.csv"));
             }},
            {"general keys sorted",
             [&] {
                 const QByteArray json = contents(at("sorted.json"));
                 QList<QByteArray> keys;
                 for (const QByteArray &line : json.split('\n'))
                     if (line.startsWith("        \"") && !line.endsWith("{"))
                         keys << line.trimmed().split('"').value(1);
                 QList<QByteArray> sorted = keys;
                 std::sort(sorted.begin(), sorted.end());
                 return keys.size() == Parameters::Count && keys == sorted;
             }},
            {"nothing written",
             [&] {
                 return QDir(dir.path()).entryList({"range.cfg", "twice.cfg"}).isEmpty();
             }},
        };
        QVERIFY2(checks.value(check)(), qPrintable(check + "\n" + again));
    }

    void interrupt_data()
    {
        QTest::addColumn<QString>("simOptions");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("after");      // requests the unit has seen before the signal
        QTest::addColumn<QString>("output"); // (\d+) captures the frames written
        // clang-format off
        QTest::newRow("write over UDP, SIGINT") << "--no-serial --load SAMPLE" << "write OUT/other.cfg --udp 127.0.0.2 --force --backup-dir OUT/ib" << SIGINT << 600 << "127\\.0\\.0\\.2  interrupted: ([0-9]+) of 510 frames written, backup .*ib/127\\.0\\.0\\.2-[0-9-]+\\.cfg  [0-9.]+ s\n";
        QTest::newRow("write over serial, SIGTERM") << "--no-udp --load SAMPLE --pty-link OUT/iw" << "write OUT/other.cfg --serial OUT/iw --force --backup-dir OUT/ib" << SIGTERM << 600 << "iw  interrupted: ([0-9]+) of 510 frames written, backup .*ib/iw-[0-9-]+\\.cfg  [0-9.]+ s\n";
        QTest::newRow("read over UDP, SIGINT") << "--no-serial" << "read --udp 127.0.0.2 -o OUT/cut.cfg" << SIGINT << 100 << "127\\.0\\.0\\.2  interrupted  [0-9.]+ s\n";
        // clang-format on
    }

    void interrupt()
    {
        QFETCH(QString, simOptions);
        QFETCH(QString, command);
        QFETCH(int, signal);
        QFETCH(int, after);
        QFETCH(QString, output);
        QVERIFY(startSim(simOptions.replace("SAMPLE", SAMPLE)));
        QProcess run;
        startCli(run, command);
        QVERIFY(run.waitForStarted(10000));
        QElapsedTimer clock;
        for (clock.start();
             contents(at("sim.log")).count("<- ") < after && !clock.hasExpired(30000);)
            run.waitForFinished(10);
        QCOMPARE(run.state(), QProcess::Running);
        ::kill(pid_t(run.processId()), signal);
        QVERIFY(run.waitForFinished(20000));
        const QString got = QString::fromUtf8(run.readAll())
                                .remove(QRegularExpression("^velmora-cli: warning: .*\n",
                                                           QRegularExpression::MultilineOption));
        QCOMPARE(run.exitCode(), 128 + signal);
        const QRegularExpressionMatch match = QRegularExpression("\\A" + output + "\\z").match(got);
        QVERIFY2(match.hasMatch(), qPrintable(got));
        const int requests = stopSim().count("<- ");
        if (match.lastCapturedIndex() == 1)
            QCOMPARE(requests, 510 + match.captured(1).toInt()); // the backup read, then the frames
        else
            QVERIFY(requests < 510 && !QFile::exists(at("cut.cfg")));
    }

    // A program that holds port 2055 alone: every network unit fails to
    // open, none is sent anything, and a serial unit is still served.
    void portInUse()
    {
        QVERIFY(startSim("--fleet 2 --no-udp --pty-link OUT/held"));
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, 2055, QUdpSocket::DontShareAddress));
        QByteArray got;
        QCOMPARE(cli("read --udp 127.0.0.2 --serial OUT/held1 --udp 127.0.0.3 -o OUT/{unit}.cfg "
                     "--trace OUT/held.txt",
                     &got),
                 1);
        const QString refused =
            "cannot open: UDP port 2055 is in use by another program  [0-9.]+ s\n";
        QVERIFY2(QRegularExpression("\\A127\\.0\\.0\\.2  " + refused +
                                    "held1      ok  [0-9.]+ s\n" + "127\\.0\\.0\\.3  " + refused +
                                    "\\z")
                     .match(got)
                     .hasMatch(),
                 got.constData());
        const QByteArray trace = contents(at("held.txt"));
        QVERIFY(trace.contains(" held1 > ") && !trace.contains(" 127.0.0."));
    }

    // With one unit, an answer from any other address is no answer of it.
    void impostor()
    {
        QVERIFY(startSim("--no-serial --load " SAMPLE " --delay 20"));
        std::atomic<bool> done{false};
        std::thread sender([&done] {
            QUdpSocket socket;
            socket.bind(QHostAddress("127.0.0.9"), 0);
            for (int n = 0; n < 2000 && !done; ++n) {
                socket.writeDatagram(QByteArray::fromHex("360263"), QHostAddress::LocalHost, 2055);
                socket.waitForBytesWritten(10);
                QThread::usleep(1000);
            }
        });
        QByteArray got;
        const int status = cli("read --udp 127.0.0.2 --home-bypass -o OUT/impostor.cfg", &got);
        done = true;
        sender.join();
        QCOMPARE(status, 0);
        QCOMPARE(fieldsOf(at("impostor.cfg")).value(5), fieldsOf(SAMPLE).value(5));
    }
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
