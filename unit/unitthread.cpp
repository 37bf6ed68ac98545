#include "unit/unitthread.h"

UnitThread::UnitThread()
{
    home.moveToThread(&thread);
    thread.start();
}

UnitThread::~UnitThread()
{
    // Children of home are deleted on the thread they live on.
    call([this] { qDeleteAll(home.children()); });
    thread.quit();
    thread.wait();
}

void UnitThread::call(const std::function<void()> &work)
{
    {
        const std::lock_guard<std::mutex> handOver(home.mutex);
        home.work = &work;
    }
    QMetaObject::invokeMethod(&home, "runWork", Qt::BlockingQueuedConnection);
    // Taken once more, so that what the work wrote is seen as written before.
    const std::lock_guard<std::mutex> takeBack(home.mutex);
}

void UnitHome::runWork()
{
    const std::lock_guard<std::mutex> running(mutex);
    (*work)();
}
