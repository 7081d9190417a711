#include <gtest/gtest.h>

#include "common/kgl_bytes.h"

using kgl::ByteReader;
using kgl::ByteWriter;

TEST(Bytes, RoundTripLittleEndianAndPatch) {
    ByteWriter w;
    w.u16(0x1234);
    w.u32(0xdeadbeef);
    w.f32(1.5f);
    w.padTo(16, ' ');
    ASSERT_TRUE(w.patchU16(0, 0xabcd));
    EXPECT_FALSE(w.patchU32(14, 1));  // would run past the end
    EXPECT_EQ(w.bytes()[0], 0xcd);
    EXPECT_EQ(w.bytes()[2], 0xef);
    EXPECT_EQ(w.bytes()[15], ' ');

    ByteReader r(w.bytes());
    uint16_t a = 0;
    uint32_t b = 0;
    float c = 0;
    EXPECT_TRUE(r.u16(a) && r.u32(b) && r.f32(c));
    EXPECT_EQ(a, 0xabcd);
    EXPECT_EQ(b, 0xdeadbeefu);
    EXPECT_EQ(c, 1.5f);
}

TEST(Bytes, ReaderFailsAtTheEndAndStaysFailed) {
    const uint8_t data[3] = {1, 2, 3};
    ByteReader r(data, sizeof data);
    uint32_t v = 7;
    EXPECT_FALSE(r.u32(v));
    EXPECT_EQ(v, 7u);
    EXPECT_TRUE(r.failed());
    uint8_t b = 0;
    EXPECT_FALSE(r.u8(b));  // a failed cursor never reads again
    ByteReader s(data, sizeof data);
    EXPECT_FALSE(s.seek(4));
    EXPECT_FALSE(s.skip(1));
}
