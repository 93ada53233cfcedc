// Starts the program and the baseline window in turn, many times, and reports
// the median time from the start of the process to its first painted frame
// and the median peak memory, with their ratios.
//   bench_startup [rounds]

#include "median.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run {
    double ms;
    double kib;
};

long long nowMicros()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

bool runOnce(const QString &program, Run *run, const QStringList &arguments = {})
{
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const long long started = nowMicros();
    child.start(program, arguments);
    if (!child.waitForFinished(30000))
        return false;
    long long painted = 0;
    long kib = 0;
    if (std::sscanf(child.readAllStandardOutput().constData(), "%lld %ld", &painted, &kib) != 2)
        return false;
    *run = {(painted - started) / 1000.0, double(kib)};
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const QString dir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    std::vector<double> vMs, vKib, bMs, bKib, dMs, dKib;
    for (int i = 0; i < rounds + 1; ++i) {
        Run v{}, b{}, d{};
        if (!runOnce(dir + QStringLiteral("startup_vimbra"), &v) || !runOnce(dir + QStringLiteral("startup_baseline"), &b)
            || !runOnce(dir + QStringLiteral("startup_vimbra"), &d, {QStringLiteral("--debrief")})) {
            std::fprintf(stderr, "a start-up run failed\n");
            return 1;
        }
        if (i == 0)
            continue; // warms the file cache
        vMs.push_back(v.ms);
        vKib.push_back(v.kib);
        bMs.push_back(b.ms);
        bKib.push_back(b.kib);
        dMs.push_back(d.ms);
        dKib.push_back(d.kib);
    }
    const double ms = median(vMs), base = median(bMs), kib = median(vKib), baseKib = median(bKib);
    std::printf("start-up to first frame: %.1f ms, bare window %.1f ms, ratio %.2f (goal <= 1.15)\n", ms, base, ms / base);
    std::printf("peak resident memory:    %.1f MiB, bare window %.1f MiB, ratio %.2f (goal <= 1.15)\n", kib / 1024,
                baseKib / 1024, kib / baseKib);
    const double debriefMs = median(dMs), debriefKib = median(dKib);
    std::printf("with the debrief shown from the start: %.1f ms, ratio %.2f; %.1f MiB, ratio %.2f (goal <= 1.15)\n",
                debriefMs, debriefMs / base, debriefKib / 1024, debriefKib / baseKib);
    return 0;
}
