#ifndef VELMORA_CLI_PROGRESS_H
#define VELMORA_CLI_PROGRESS_H

#include <QList>
#include <QObject>

class QTimer;
class UnitJob;

/// The progress lines on a terminal's standard error, redrawn in place
/// ten times a second: one per unit, or a count for a large fleet.
class Progress : public QObject
{
    Q_OBJECT

public:
    Progress(const QList<UnitJob *> &jobs, QObject *parent);

    /// Stops and takes the lines away, for the results to take their place.
    void end();

private slots:
    void show();

private:
    const QList<UnitJob *> &jobs;
    QTimer *timer;
    int shown = 0; ///< lines on the terminal
};

#endif
