#include "platform/pause.h"

#include <QThread>

namespace {
std::function<void(int)> &pauseHook()
{
    static std::function<void(int)> hook;
    return hook;
}
} // namespace

void Pause(int ms)
{
    if (pauseHook())
        pauseHook()(ms);
    else if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void SetPauseHook(std::function<void(int)> hook) { pauseHook() = std::move(hook); }
