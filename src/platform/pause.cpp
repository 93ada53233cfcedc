#include "platform/pause.h"

#include <QThread>

void Pause(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}
