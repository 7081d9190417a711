#include "common/kgl_random.h"

namespace kgl {
namespace {

constexpr uint32_t kMultiplier = 214013u;
constexpr uint32_t kIncrement = 2531011u;
uint32_t gState = 1;

}  // namespace

int Random() {
    gState = gState * kMultiplier + kIncrement;
    return static_cast<int>((gState >> 16) & static_cast<uint32_t>(kRandomMax));
}

void SeedRandom(uint32_t seed) {
    gState = seed;
}

}  // namespace kgl
