#ifndef VELMORA_CLI_REPORT_H
#define VELMORA_CLI_REPORT_H

#include <QList>

class UnitJob;

/// The results on standard output, one unit a line in the order given:
/// name, result and seconds, each difference below it; with json one
/// object a line.
void report(const QList<UnitJob *> &jobs, bool json);

#endif
