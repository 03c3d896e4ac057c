#include "framework_random.h"

#include <ctime>

std::uint32_t GeneratorSeed = 0;

std::uint32_t RandomBelow(std::uint32_t n) {
  GeneratorSeed = GeneratorSeed * 134775813u + 1u;  // modulo 2^32 by unsigned wrap-around
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(GeneratorSeed) * n) >> 32);
}

void SeedFromClock() {
  timespec ts{};
  // The low 32 bits of a monotonic nanosecond counter; milliseconds since boot when it is missing.
  if (clock_gettime(CLOCK_MONOTONIC, &ts) == 0) {
    const auto ns = static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u + static_cast<std::uint64_t>(ts.tv_nsec);
    GeneratorSeed = static_cast<std::uint32_t>(ns);
  } else if (clock_gettime(CLOCK_BOOTTIME, &ts) == 0) {
    GeneratorSeed = static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000);
  } else {
    GeneratorSeed = static_cast<std::uint32_t>(std::time(nullptr));
  }
}
