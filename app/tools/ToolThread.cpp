#include "app/tools/ToolThread.h"

ToolThread::ToolThread(QObject* parent) : QThread(parent) {}

void ToolThread::RequestStop()
{
    stopRequested.store(true, std::memory_order_release);
}

void ToolThread::ClearStop()
{
    stopRequested.store(false, std::memory_order_release);
}

bool ToolThread::StopRequested() const
{
    return stopRequested.load(std::memory_order_acquire);
}

void ToolThread::StopAndWait()
{
    RequestStop();
    wait();
}

#include "moc_ToolThread.cpp"
