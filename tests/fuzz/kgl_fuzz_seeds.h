// Shared by the two halves of the seed maker (kgl_fuzz_seeds.cpp, kgl_fuzz_seeds_model.cpp):
// the output folder and the writers of one seed file. A failed write marks the whole run failed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kgl_test {

using Bytes = std::vector<uint8_t>;

extern std::string gOut;  // OUTDIR; seeds go to OUTDIR/<kind>/<name>
extern bool gFailed;

void put(const std::string& kind, const std::string& name, const Bytes& bytes);
void putText(const std::string& kind, const std::string& name, const std::string& text);

// Scene files, ASE texts, JPEGs, K2D files and scene scripts.
void modelSeeds();

}  // namespace kgl_test
