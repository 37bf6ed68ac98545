#ifndef VELMORA_CLI_FLEET_H
#define VELMORA_CLI_FLEET_H

#include "cli/options.h"
#include "cli/textform.h"
#include "link/configtarget.h"
#include "link/outcome.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>

class QTimer;
class UdpRouter;
class UnitLink;

/// One unit's part of a command: its transactions in turn, and the result.
class UnitJob : public QObject
{
    Q_OBJECT

public:
    UnitJob(const UnitSpec &unit, UnitLink *link, const Options &options, QObject *parent);

    /// The job of options.command for one unit.
    static UnitJob *make(const UnitSpec &unit, UnitLink *link, const Options &options,
                         const QStringList &fileFields, QObject *parent);

    /// Starts the first transaction.
    virtual void begin() = 0;

    const UnitSpec unit;
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
    /// The link's end, or its failure to open.
    void processEnd(const LinkOutcome &outcome);
    void finish(const QString &text, bool success = false);

private slots:
    void processResponse(const QByteArray &s);
};

/// Runs every unit's job at the same time and reports them.
class Fleet : public QObject
{
    Q_OBJECT

public:
    /// Input files are loaded and checked before: nothing here refuses.
    Fleet(const Options &options, const QStringList &fileFields, QObject *parent = nullptr);

    /// Runs to the end of every job; the exit status.
    int exec();
    /// A SIGINT or SIGTERM: no new request after the running exchanges.
    void interrupt(int signal);

private slots:
    void jobFinished();
    void startBatch();
    void traceRequest(const QByteArray &s);
    void traceResponse(const QByteArray &s);
    void traceDropped(const QHostAddress &sender, const QByteArray &bytes, const QString &why);
    void showProgress();

private:
    void trace(const QString &unit, char direction, const QByteArray &bytes,
               const QString &note = QString());
    void report();

    const Options &options;
    QList<UnitJob *> jobs;
    QHash<QObject *, QString> names; ///< link -> unit, for the trace
    QElapsedTimer clock;
    QFile traceFile;
    int dropped = 0;
    int running = 0;
    int next = 0; ///< the first job not started
    int interruptedBy = 0;
    QString unbound; ///< why the port could not be bound
    QTimer *progress = nullptr;
    int progressLines = 0;
};

#endif
