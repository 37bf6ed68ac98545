#ifndef VELMORA_UNIT_UNITTHREAD_H
#define VELMORA_UNIT_UNITTHREAD_H

#include <QObject>
#include <QThread>

#include <functional>
#include <mutex>

/// The object that lives on a UnitThread and runs the work handed to it.
class UnitHome : public QObject
{
    Q_OBJECT

public:
    /// Guards work: a mutex a ThreadSanitizer build sees, unlike Qt's own.
    std::mutex mutex;
    const std::function<void()> *work = nullptr;

public slots:
    void runWork();
};

/// A thread of its own for emulated units and their servers, as a real unit
/// is a device of its own: its answers keep their timing whatever the thread
/// that drives the tool is doing, stalled by a test or a loaded machine.
class UnitThread
{
public:
    UnitThread();
    /// Runs the thread's event loop to its end, after deleting what still
    /// lives under context() there.
    ~UnitThread();

    /// Runs work on the unit thread and waits for it. Servers are created
    /// and deleted here, with context() as their parent if they should
    /// live as long as the thread.
    void call(const std::function<void()> &work);

    /// An object that lives on the unit thread.
    QObject *context() { return &home; }

private:
    QThread thread;
    UnitHome home;
};

#endif
