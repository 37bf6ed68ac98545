#ifndef VELMORA_CLI_UNITJOB_H
#define VELMORA_CLI_UNITJOB_H

#include "cli/options.h"
#include "cli/textform.h"
#include "link/configtarget.h"
#include "link/outcome.h"

#include <QObject>

class UnitLink;

/// One unit's part of a command: its transactions in turn, and the result.
class UnitJob : public QObject
{
    Q_OBJECT

public:
    UnitJob(const UnitTarget &unit, UnitLink *link, const Options &options, QObject *parent);

    /// Starts the first transaction.
    virtual void begin() = 0;

    const UnitTarget unit;
    QString step;     ///< what is being done now, for the progress line
    int answers = 0;  ///< of the running transaction
    int expected = 0; ///< answers a transaction without fault gets
    bool started = false;
    bool done = false;
    bool ok = false;
    bool changed = false; ///< written, or for plan: would be
    QString result;
    double seconds = 0;
    QString file;   ///< the configuration it read into OUT
    QString backup; ///< the backup it wrote
    QList<TextForm::Difference> differences;

    /// Ends the running walk at its next exchange; the job then finishes
    /// as interrupted.
    void interrupt();

signals:
    void finished();

protected:
    /// Starts "Read", "Write" or "Factory"; for a Read, read starts afresh.
    void run(const QString &type, const QString &label, const RadioConfig &values = RadioConfig());
    /// The transaction has ended with every answer in; failures are handled.
    virtual void transactionDone() = 0;
    /// The job's own words for an interruption.
    virtual QString interrupted() const { return QStringLiteral("interrupted"); }
    /// Ends with ok when differences is empty, with their count otherwise.
    void finishCompared();
    /// Writes fields to path; false after finishing the job with the reason.
    bool saveOrFail(const QString &path, const QStringList &fields);

    UnitLink *const link;
    const Options &options;
    /// What the last Read brought, as a fresh window takes it.
    ConfigModel read;
    /// The last parameter error the unit reported, as the dialogs show it.
    QString parameterError;
    QString type;
    bool running = false;
    bool stopRequested = false;

public slots:
    void finish(const QString &text, bool success = false);

private slots:
    /// The link's end, or its failure to open.
    void processEnd(const LinkOutcome &outcome);
    void processResponse(const QByteArray &s);
};

#endif
