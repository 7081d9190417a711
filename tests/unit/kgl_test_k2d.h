// Test helper: builds K2D picture files in memory.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kgl_test {

struct K2DTestEntry {
    K2DTestEntry() = default;
    K2DTestEntry(std::string n, uint8_t s, std::vector<uint8_t> d, std::vector<uint8_t> t = {})
        : name(std::move(n)), slot(s), data(std::move(d)), tail(std::move(t)) {}

    std::string name;
    uint8_t slot = 0;
    std::vector<uint8_t> data;
    std::vector<uint8_t> tail;  // bytes inside the stored length after the data
};

inline std::vector<uint8_t> BuildK2D(const std::vector<K2DTestEntry>& entries) {
    std::vector<uint8_t> out(28, 'h');
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(entries.size()));
    for (const K2DTestEntry& e : entries) {
        out.push_back(static_cast<uint8_t>(e.name.size()));
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.push_back(e.slot);
        const uint32_t n = static_cast<uint32_t>(e.data.size() + e.tail.size());
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(n >> (8 * i)));
        out.insert(out.end(), e.data.begin(), e.data.end());
        out.insert(out.end(), e.tail.begin(), e.tail.end());
        out.push_back(0xee);  // the one further byte
    }
    return out;
}

}  // namespace kgl_test
