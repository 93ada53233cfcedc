// Writes one key of a settings file over and over, alternating its value,
// until it is killed: the durability test kills it at random moments.
#include "platform/profile.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_writer <file>\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    std::puts("writing");
    std::fflush(stdout);
    for (unsigned i = 0;; ++i)
        if (!WritePrivateProfileString("Options", "PlankaCorrection", i % 2 ? "9" : "1", path))
            return 1;
}
