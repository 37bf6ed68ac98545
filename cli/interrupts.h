#ifndef VELMORA_CLI_INTERRUPTS_H
#define VELMORA_CLI_INTERRUPTS_H

class QObject;

/// From now on the first SIGINT or SIGTERM calls receiver's slot(int) with
/// the signal's number, from the event loop; a second one ends the program
/// at once, as if nothing caught it.
void catchInterrupts(QObject *receiver, const char *slot);

#endif
