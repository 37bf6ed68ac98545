#ifndef VELMORA_UNIT_UNITTHREAD_H
#define VELMORA_UNIT_UNITTHREAD_H

#include <QObject>
#include <QThread>

#include <functional>

/// A thread of its own for emulated units and their servers, as a real unit
/// is a device of its own: its answers keep their timing whatever the thread
/// that drives the tool is doing, stalled by a test or a loaded machine.
class UnitThread
{
public:
    UnitThread();
    /// Runs the thread's event loop to its end; objects still living there
    /// must have been deleted through call() before.
    ~UnitThread();

    /// Runs work on the unit thread and waits for it. Servers are created
    /// and deleted here, with context() as their parent if they should
    /// live as long as the thread.
    void call(const std::function<void()> &work);

    /// An object that lives on the unit thread.
    QObject *context() { return &home; }

private:
    QThread thread;
    QObject home;
};

#endif
