#pragma once

#include <functional>

// Blocks the calling thread for ms milliseconds without handling any event:
// input that arrives meanwhile waits in the queue and is handled afterwards.
void Pause(int ms);

// Tests replace the blocking wait; an empty function restores it.
void SetPauseHook(std::function<void(int ms)> hook);
