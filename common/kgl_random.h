// The one pseudo-random generator of the show: the C library's rand() of the platform the show was
// made on (a linear congruential generator giving 0..32767), so particles, light glows and line
// trails draw the same numbers on every machine. Process-wide, rendering thread only.
#pragma once

#include <cstdint>

namespace kgl {

constexpr int kRandomMax = 32767;

// The next number, 0..kRandomMax.
int Random();

// Restarts the sequence (the state at process start is seed 1).
void SeedRandom(uint32_t seed);

}  // namespace kgl
