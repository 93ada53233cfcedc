#pragma once

#include <cstdint>

// The program's one pseudo-random generator.

// Seeds it from the time of day (UTC): ((h*60 + m)*60 + s)*1000 + ms.
// Called once at start-up.
void Randomize();

// Seeds it with a fixed value, for reproducible runs.
void RandSeed(std::uint32_t seed);

// A uniformly distributed integer from 0 to n - 1 (0 when n <= 0).
int Random(int n);

// A random offset centred on zero: Random(n) - n div 2 (-5 to 4 for n = 10).
int RandomSpread(int n);
