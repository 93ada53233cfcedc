#pragma once

// Blocks the calling thread for ms milliseconds without handling any event:
// input that arrives meanwhile waits in the queue and is handled afterwards.
void Pause(int ms);
