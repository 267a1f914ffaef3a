#include "app/tools/OverwriteDecision.h"

#include <QThread>

void OverwriteDecision::Store(int value)
{
    if (value < Yes || value > NoToAll)
        value = No;
    mValue.store(value, std::memory_order_release);
}

bool OverwriteDecision::AnswersForAll() const
{
    const int value = Load();
    return value == YesToAll || value == NoToAll;
}

bool OverwriteDecision::AllowsOverwrite() const
{
    const int value = Load();
    return value == Yes || value == YesToAll;
}

int OverwriteDecision::WaitForAnswer(const std::atomic<bool>* stop) const
{
    for (;;) {
        const int value = Load();
        if (value != Pending)
            return value;
        if (stop && stop->load(std::memory_order_acquire))
            return No;
        QThread::msleep(50);
    }
}
