#include "cli/interrupts.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
volatile sig_atomic_t signalsSeen = 0;

void onSignal(int signal)
{
    if (signalsSeen++) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    // Only a write is safe here; the event loop reads it.
    const char byte = char(signal);
    ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    (void)ignored;
}

} // namespace

void catchInterrupts(QObject *receiver, const char *slot)
{
    if (signalPipe[0] < 0 && ::pipe(signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, receiver);
    QObject::connect(notifier, &QSocketNotifier::activated, receiver, [receiver, slot] {
        char byte = 0;
        if (::read(signalPipe[0], &byte, 1) != 1)
            return;
        const int signal = byte;
        QMetaObject::invokeMethod(receiver, slot, Q_ARG(int, signal));
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}
