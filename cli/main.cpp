// velmora-cli: reads, writes, verifies and backs up radio units from the
// command line, a whole fleet at once, on the same frames, decoder and links
// as the window.

#include "cli/command.h"
#include "cli/options.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// The workers' debug lines are for developers, not for the output a
// maintainer reads or a script parses.
void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "velmora-cli: %s\n", message.toUtf8().constData());
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
        return Command::refuse(error);
    if (options.help) {
        std::fputs(usage().toUtf8().constData(), stdout);
        return 0;
    }
    return Command::find(options.command)->run(options);
}
