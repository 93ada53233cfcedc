// Reads a recording of the sound server's output (see soundprobe.h) and says
// what was heard after each mark.
//   soundcheck RECORDING.wav [--expect N] [--within MS] [--silent]
// --expect N   exactly N marks, each answered by a sound
// --within MS  every sound begins at most MS after its mark
// --silent     no sound of the program at all
// Exits with 1 when an expectation fails.

#include "soundprobe.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: soundcheck RECORDING.wav [--expect N] [--within MS] [--silent]\n");
        return 2;
    }
    const QString path = args.takeFirst();
    int expect = -1;
    double within = -1;
    bool silent = false;
    while (!args.isEmpty()) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--expect") && !args.isEmpty())
            expect = args.takeFirst().toInt();
        else if (option == QLatin1String("--within") && !args.isEmpty())
            within = args.takeFirst().toDouble();
        else if (option == QLatin1String("--silent"))
            silent = true;
    }
    Listening heard;
    if (!Listen(path, &heard)) {
        std::fprintf(stderr, "soundcheck: cannot read %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%zu marks, %zu sounds, %d marks without a sound, loudest %.2f\n", heard.marks.size(),
                heard.sounds.size(), heard.missed, heard.loudest);
    for (size_t i = 0; i < heard.latencies.size(); ++i)
        std::printf("  sound %zu: %+.1f ms after its mark\n", i + 1, heard.latencies[i]);
    if (!heard.latencies.empty())
        std::printf("median %+.1f ms, worst %+.1f ms\n", Median(heard.latencies), Worst(heard.latencies));

    bool ok = true;
    if (expect >= 0 && (int(heard.marks.size()) != expect || heard.missed != 0 || int(heard.sounds.size()) != expect)) {
        std::printf("FAIL: expected %d marks each answered by one sound\n", expect);
        ok = false;
    }
    if (within >= 0 && !heard.latencies.empty() && Worst(heard.latencies) > within) {
        std::printf("FAIL: a sound began more than %.0f ms after its mark\n", within);
        ok = false;
    }
    if (silent && !heard.sounds.empty()) {
        std::printf("FAIL: expected no sound\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
