// velmora-cli: reads, writes, verifies and backs up radio units from the
// command line, a whole fleet at once, on the same frames, decoder and links
// as the window.

#include "cli/fleet.h"
#include "cli/options.h"
#include "cli/textform.h"
#include "link/acceptance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int refuse(const QString &what)
{
    std::fprintf(stderr, "velmora-cli: %s\n", qPrintable(what));
    return 2;
}

void print(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
}

int diff(const Options &options)
{
    QStringList first, second;
    QString error;
    if (!TextForm::load(options.files.at(0), QStringList(), &first, &error) ||
        !TextForm::load(options.files.at(1), QStringList(), &second, &error))
        return refuse(error);
    const QList<TextForm::Difference> found =
        TextForm::differences(first, TextForm::opened(first), second, TextForm::opened(second));
    for (const TextForm::Difference &d : found) {
        if (options.json)
            print(
                QString::fromUtf8(QJsonDocument(QJsonObject{{"field", TextForm::fieldName(d.field)},
                                                            {"first", QJsonValue(d.first)},
                                                            {"second", QJsonValue(d.second)}})
                                      .toJson(QJsonDocument::Compact)));
        else
            print(d.text());
    }
    return found.isEmpty() ? 0 : 1;
}

// What the window shows in red, one line each.
QStringList redValues(const QStringList &fields)
{
    QStringList lines;
    for (const Acceptance::Problem &p : Acceptance::problems(TextForm::opened(fields)))
        lines << QStringLiteral("%1: %2 is shown in red: %3")
                     .arg(TextForm::fieldName(p.field),
                          QString::fromUtf8(
                              QJsonDocument(QJsonArray{p.text}).toJson(QJsonDocument::Compact))
                              .mid(1)
                              .chopped(1),
                          p.rule);
    return lines;
}

int check(const Options &options)
{
    QStringList fields;
    QString error;
    if (!TextForm::load(options.files.at(0), QStringList(), &fields, &error))
        return refuse(error);
    const QStringList lines = redValues(fields);
    for (const QString &line : lines)
        print(line);
    return lines.isEmpty() ? 0 : 1;
}

int signalPipe[2] = {-1, -1};
volatile sig_atomic_t signalsSeen = 0;

void onSignal(int signal)
{
    // A second one ends the program at once, as if nothing caught it.
    if (signalsSeen++) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    const char byte = char(signal);
    ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    (void)ignored;
}

int convert(const Options &options)
{
    QStringList base = TextForm::freshFields();
    QStringList fields;
    QString error;
    if ((!options.base.isEmpty() && !TextForm::load(options.base, QStringList(), &base, &error)) ||
        !TextForm::load(options.files.at(0), base, &fields, &error))
        return refuse(error);
    if (!TextForm::save(options.files.at(1), fields, &error)) {
        std::fprintf(stderr, "velmora-cli: cannot write %s: %s\n", qPrintable(options.files.at(1)),
                     qPrintable(error));
        return 1;
    }
    return 0;
}

// The workers' debug lines are for developers, not for the output a
// maintainer reads or a script parses.
void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "velmora-cli: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietDebug);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-cli"));

    Options options;
    QString error;
    if (!parseOptions(app.arguments().mid(1), &options, &error))
        return refuse(error);
    if (options.help) {
        std::fputs(qPrintable(usage()), stdout);
        return 0;
    }
    if (options.command == QLatin1String("diff"))
        return diff(options);
    if (options.command == QLatin1String("convert"))
        return convert(options);
    if (options.command == QLatin1String("check"))
        return check(options);

    // Everything that can be refused is refused before anything is sent.
    QStringList fileFields;
    const bool restore = options.command == QLatin1String("restore");
    if (!options.files.isEmpty() && !restore &&
        !TextForm::load(options.files.at(0), QStringList(), &fileFields, &error))
        return refuse(error);
    if (options.command == QLatin1String("write") || options.command == QLatin1String("plan")) {
        for (const QString &line : redValues(fileFields))
            std::fprintf(stderr, "velmora-cli: warning: %s\n", line.toUtf8().constData());
    }
    if ((options.command == QLatin1String("write") || options.command == QLatin1String("backup")) &&
        !options.noBackup && !QDir().mkpath(options.backupDir))
        return refuse(QStringLiteral("cannot create the backup folder %1").arg(options.backupDir));
    if (!options.trace.isEmpty()) {
        QFile trace(options.trace);
        if (!trace.open(QIODevice::WriteOnly))
            return refuse(QStringLiteral("%1: %2").arg(options.trace, trace.errorString()));
    }
    Fleet fleet(options, fileFields);
    // Ctrl+C and SIGTERM let each unit finish the exchange it has running.
    if (::pipe(signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &fleet, [&fleet] {
            char byte = 0;
            if (::read(signalPipe[0], &byte, 1) == 1)
                fleet.interrupt(byte);
        });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    return fleet.exec();
}
