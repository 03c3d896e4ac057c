#pragma once
// The program's one pseudo-random generator: a 32-bit linear congruential
// generator whose exact sequence decides the interest codes and the thinned
// profession list, so its arithmetic must not change.
#include <cstdint>

extern std::uint32_t GeneratorSeed;

// Advances the seed one step and returns a number 0..n-1 (n >= 1).
std::uint32_t RandomBelow(std::uint32_t n);

// Reseeds the generator from the clock.
void SeedFromClock();
