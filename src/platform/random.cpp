#include "platform/random.h"

#include <QDateTime>
#include <QTime>

#include <random>

namespace {
std::mt19937 &generator()
{
    static std::mt19937 engine;
    return engine;
}
} // namespace

void Randomize()
{
    const QTime t = QDateTime::currentDateTimeUtc().time();
    RandSeed(static_cast<std::uint32_t>(((t.hour() * 60 + t.minute()) * 60 + t.second()) * 1000 + t.msec()));
}

void RandSeed(std::uint32_t seed) { generator().seed(seed); }

int Random(int n)
{
    if (n <= 0)
        return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(generator());
}

int RandomSpread(int n) { return Random(n) - n / 2; }
