#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "scene/kgl_2d_fasttrigo.h"
#include "tests/unit/kgl_test_files.h"

using kgl::FastTrigo;

TEST(FastTrigo, CursorWrapsPast1022) {
    FastTrigo t;
    t.generate(1, 1, 0, 2);
    t.setStep(26);
    std::vector<int> seen{t.cursor[0]};
    for (int i = 0; i < 40; ++i) {
        t.advance(0);
        seen.push_back(t.cursor[0]);
    }
    EXPECT_EQ(seen[39], 1014);
    EXPECT_EQ(seen[40], 0);
    t.setStep(1);
    int highest = 0;
    for (int i = 0; i < 3000; ++i) {
        t.advance(0);
        highest = std::max(highest, static_cast<int>(t.cursor[0]));
    }
    EXPECT_EQ(highest, 1022);  // sample 1023 is never shown
}

TEST(FastTrigo, ShapesAndAngleAccumulation) {
    FastTrigo a, b;
    a.generate(10, 12, 1, 0);
    b.generate(0, 0, 1, 0);
    for (int i = 0; i < kgl::kTrigoSamples; ++i) {
        ASSERT_EQ(a.x[1][i], b.x[1][i]);
        ASSERT_EQ(a.y[1][i], b.y[1][i]);
    }
    FastTrigo c;
    c.generate(5, 3, 2, 3);  // clockwise
    float t = 0.0f;
    for (int i = 0; i < 100; ++i) t = static_cast<float>(t + 0.012272186953125);
    EXPECT_NEAR(c.x[2][100], 5.0 * std::cos(t), 1e-5);
    EXPECT_NEAR(c.y[2][100], -3.0 * std::sin(t), 1e-5);
    c.generate(5, 3, 2, 4);  // anticlockwise
    EXPECT_NEAR(c.y[2][100], 3.0 * std::sin(t), 1e-5);
    c.generate(5, 3, 2, 1);
    EXPECT_NEAR(c.y[2][100], 3.0 * std::cos(t), 1e-5);
    const float before = c.x[2][7];
    c.cursor[2] = 9;
    c.generate(1, 1, 2, 9);  // unknown shape keeps the samples, resets the cursor
    EXPECT_EQ(c.x[2][7], before);
    EXPECT_EQ(c.cursor[2], 0);
    float sx = 0, sy = 0;
    c.sample(2, sx, sy);
    EXPECT_EQ(sx, c.x[2][0]);
}

// Every sample of every shape against the angle built as described: the step added in double,
// the sum rounded to float after each addition. A float step put 314 of the 1024 angles one
// float step off.
TEST(FastTrigo, EverySampleUsesTheAngleRoundedAfterEachDoubleStep) {
    struct Case {
        uint8_t shape;
        double x(double a, double t) const {
            return shape == 0 ? 2 * std::sin(t) : shape == 2 ? a * std::sin(t) : a * std::cos(t);
        }
        double y(double b, double t) const {
            switch (shape) {
                case 0:
                    return 3 * std::sin(t);
                case 1:
                case 2:
                    return b * std::cos(t);
                case 3:
                    return -b * std::sin(t);
                default:
                    return b * std::sin(t);
            }
        }
    };
    for (const Case c : {Case{0}, Case{1}, Case{2}, Case{3}, Case{4}}) {
        FastTrigo table;
        table.generate(7, 5, 3, c.shape);
        float t = 0.0f;
        int mismatches = 0;
        for (int i = 0; i < kgl::kTrigoSamples; ++i) {
            if (table.x[3][i] != static_cast<float>(c.x(7, t)) ||
                table.y[3][i] != static_cast<float>(c.y(5, t)))
                ++mismatches;
            t = static_cast<float>(static_cast<double>(t) + 0.012272186953125);
        }
        EXPECT_EQ(mismatches, 0) << "shape " << int(c.shape);
    }
}

TEST(FastTrigo, FoldReflectsTheLeftHalfThroughTheOrigin) {
    FastTrigo plain, folded;
    folded.setFold();
    plain.generate(4, 2, 0, 2);
    folded.generate(4, 2, 0, 2);
    int reflected = 0;
    for (int i = 0; i < kgl::kTrigoSamples; ++i) {
        EXPECT_GE(folded.x[0][i], 0.0f);
        if (plain.x[0][i] < 0) {
            ++reflected;
            EXPECT_EQ(folded.x[0][i], -plain.x[0][i]);
            EXPECT_EQ(folded.y[0][i], -plain.y[0][i]);
        } else {
            EXPECT_EQ(folded.y[0][i], plain.y[0][i]);
        }
    }
    EXPECT_GT(reflected, 400);
}

TEST(FastTrigo, DumpFileNameAndLinesBeforeFolding) {
    kgl_test::TempCwd cwd;
    EXPECT_EQ(FastTrigo::dumpFileName(5.89f, 0.3f), "lissa6.bin");
    EXPECT_EQ(FastTrigo::dumpFileName(-2.5f, 0.1f), "lissa-2.bin");
    FastTrigo t;
    t.setFold();
    t.generateAndDump(4.1f, 5.5f, 3, 2);
    const std::string text = kgl_test::ReadText("lissa9.bin");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1024);
    EXPECT_EQ(text.substr(0, 14), "0.0000 5.5000\n");
    EXPECT_NE(text.find("-"), std::string::npos);  // written before folding
    for (int i = 0; i < kgl::kTrigoSamples; ++i) ASSERT_GE(t.x[3][i], 0.0f);
}
