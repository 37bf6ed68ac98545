#ifndef VELMORA_CLI_READJOB_H
#define VELMORA_CLI_READJOB_H

#include "cli/unitjob.h"

/// Reads a unit and saves what it holds: into OUT (read) or as a new
/// backup (backup).
class ReadJob : public UnitJob
{
    Q_OBJECT

public:
    enum Into
    {
        Output,
        Backup
    };
    ReadJob(Into into, const UnitTarget &unit, UnitLink *link, const Options &options,
            QObject *parent);

    void begin() override;

protected:
    void transactionDone() override;

private:
    const Into into;
};

#endif
