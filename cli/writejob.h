#ifndef VELMORA_CLI_WRITEJOB_H
#define VELMORA_CLI_WRITEJOB_H

#include "cli/unitjob.h"

/// write, plan and restore: reads the unit, compares, backs up, writes and
/// reads back.
class WriteJob : public UnitJob
{
    Q_OBJECT

public:
    enum Mode
    {
        Write,   ///< FILE, with the identity rules
        Plan,    ///< stops after the comparison
        Restore, ///< the unit's newest backup from the folder, whole
    };
    /// For Restore, fileFields are loaded from the backup when the job begins.
    WriteJob(Mode mode, const UnitTarget &unit, UnitLink *link, const Options &options,
             const QStringList &fileFields, QObject *parent);

    void begin() override;

protected:
    void transactionDone() override;
    QString interrupted() const override;

private:
    bool keepIdentity() const;
    QStringList sentFields() const;
    void write();

    const Mode mode;
    QStringList fileFields;
    RadioConfig sent;
};

#endif
