// Fires at the program with real input and marks each firing press in a
// reference stream of the sound server, so that a recording of the server's
// output shows how long after the press each shot was heard.
//   shotclock X Y SHOTS INTERVAL_MS [CLEAR_EVERY]
// X Y are screen coordinates of a point on the gun; a shot is a left
// double-click there (its second press marked). After every CLEAR_EVERY
// shots a Space press clears the series (the focus is then on «Очистить»).

#include "soundprobe.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {
void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void button(Display *display, bool down)
{
    XTestFakeButtonEvent(display, 1, down, CurrentTime);
    XSync(display, False);
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: shotclock X Y SHOTS INTERVAL_MS [CLEAR_EVERY]\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    const int shots = std::atoi(argv[3]), interval = std::atoi(argv[4]);
    const int clearEvery = argc > 5 ? std::atoi(argv[5]) : 0;

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "shotclock: no X display\n");
        return 1;
    }
    ReferenceStream reference;
    if (!reference.ok()) {
        std::fprintf(stderr, "shotclock: no reference stream: %s\n", qPrintable(reference.error()));
        return 1;
    }
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
    sleepMs(500); // the reference stream runs steadily before the first mark

    const KeyCode space = XKeysymToKeycode(display, XK_space);
    for (int shot = 1; shot <= shots; ++shot) {
        button(display, true);
        button(display, false);
        sleepMs(60);
        button(display, true); // the press that fires
        reference.mark();
        button(display, false);
        std::printf("shot %d\n", shot);
        std::fflush(stdout);
        sleepMs(interval);
        if (clearEvery > 0 && shot % clearEvery == 0 && shot < shots) {
            XTestFakeKeyEvent(display, space, True, CurrentTime);
            XTestFakeKeyEvent(display, space, False, CurrentTime);
            XSync(display, False);
            sleepMs(300);
        }
    }
    sleepMs(1000); // the last sound reaches the recording
    XCloseDisplay(display);
    return 0;
}
