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
    QMetaObject::invokeMethod(&home, work, Qt::BlockingQueuedConnection);
}
