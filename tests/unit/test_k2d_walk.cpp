#include <gtest/gtest.h>

#include "image/kgl_k2d.h"
#include "tests/unit/kgl_test_jpeg.h"
#include "tests/unit/kgl_test_k2d.h"

using namespace kgl;
using namespace kgl_test;

TEST(K2DWalk, EntriesAreFoundByTheirStoredLengthWhateverTheDecoderRead) {
    std::vector<K2DTestEntry> entries(3);
    entries[0] = {"first", 4, SolidJpeg(4, 4, 255, 0, 0), {1, 2, 3, 4, 5}};
    entries[1] = {"", 4, {0xff, 0xd8}, {}};  // junk, same slot
    entries[2] = {"third", 9, SolidJpeg(2, 2, 0, 255, 0), {}};
    const std::vector<uint8_t> bytes = BuildK2D(entries);
    std::vector<K2DEntry> seen;
    EXPECT_EQ(WalkK2D(bytes, "t.k2d",
                      [&](const K2DEntry& e) {
                          seen.push_back(e);
                          JpegReader r;  // decoding must not move the walk
                          r.ProbeMemory(e.data, e.size);
                          return true;
                      }),
              3);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].name, "first");
    EXPECT_EQ(seen[0].slot, 4);
    EXPECT_EQ(seen[0].size, entries[0].data.size() + 5);
    EXPECT_EQ(seen[1].size, 2u);
    EXPECT_EQ(seen[2].name, "third");
    EXPECT_EQ(seen[2].slot, 9);
    EXPECT_EQ(seen[2].data[0], 0xff);
}

TEST(K2DWalk, DamagedFilesStopWithOneLine) {
    std::vector<K2DTestEntry> entries(2);
    entries[0] = {"a", 0, {1, 2, 3}, {}};
    entries[1] = {"b", 1, {4, 5, 6}, {}};
    std::vector<uint8_t> good = BuildK2D(entries);
    auto count = [](const std::vector<uint8_t>& b, std::string* err) {
        testing::internal::CaptureStderr();
        const int n = WalkK2D(b, "bad.k2d", [](const K2DEntry&) { return true; });
        *err = testing::internal::GetCapturedStderr();
        return n;
    };
    std::string err;
    for (size_t n = 0; n + 1 < good.size(); ++n) {  // the last entry needs no trailing byte
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
        EXPECT_LT(count(cut, &err), 2) << n;
        EXPECT_NE(err.find("K2D: [bad.k2d]"), std::string::npos) << n;
    }
    std::vector<uint8_t> longer = good;
    longer[30 + 1 + 1 + 1 + 3] = 0x7f;  // first length's high byte: past the end
    EXPECT_EQ(count(longer, &err), 0);
    EXPECT_NE(err.find("claims"), std::string::npos);
    std::vector<uint8_t> negative = good;
    negative[30 + 1 + 1 + 1 + 3] = 0xff;
    EXPECT_EQ(count(negative, &err), 0);
    std::vector<uint8_t> more = good;
    more[29] = 200;  // more entries than the file holds
    EXPECT_EQ(count(more, &err), 2);
    EXPECT_NE(err.find("K2D: [bad.k2d]"), std::string::npos);
}
