#ifndef VELMORA_CLI_FLEET_H
#define VELMORA_CLI_FLEET_H

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QStringList>

class FleetCommand;
class Progress;
class Trace;
class UnitJob;
struct Options;

/// Runs every unit's job of a command, in batches, and reports them.
class Fleet : public QObject
{
    Q_OBJECT

public:
    /// Input files are loaded and checked before: nothing here refuses.
    /// trace, when given, logs every unit's exchanges.
    Fleet(const FleetCommand &command, const Options &options, const QStringList &fileFields,
          Trace *trace, QObject *parent = nullptr);

    /// Runs to the end of every job; the exit status.
    int exec();

public slots:
    /// A SIGINT or SIGTERM: no new request after the running exchanges.
    void interrupt(int signal);

private slots:
    void jobFinished();
    void startBatch();

private:
    const FleetCommand &command;
    const Options &options;
    QList<UnitJob *> jobs;
    QElapsedTimer clock;
    Trace *const trace;
    Progress *progress = nullptr;
    int running = 0;
    int next = 0; ///< the first job not started
    int interruptedBy = 0;
};

#endif
