#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

#include "fx/kgl_wavegrid.h"
#include "tests/unit/kgl_test_files.h"

using kgl::WaveGrid;

namespace {

// setup writes its wave-table dump into the working directory: run it inside a fresh one.
class WaveGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cwd.ok());
        grid = std::make_unique<WaveGrid>();
        grid->setup(0, 0, 800, 600, 64, 64);
    }
    bool atRest(int row) const {
        for (int c = 0; c < 64; ++c) {
            const auto& v = grid->vertex(row * 64 + c);
            const auto& r = grid->restVertex(row * 64 + c);
            if (v.x != r.x || v.y != r.y || v.z != r.z) return false;
        }
        return true;
    }

    kgl_test::TempCwd cwd{"kgl_wavegrid_"};
    std::unique_ptr<WaveGrid> grid;
};

}  // namespace

TEST_F(WaveGridTest, FirstRowAndCells) {
    EXPECT_EQ(access("lissa6.bin", F_OK), 0);
    for (int c = 0; c < 64; ++c) {
        EXPECT_FLOAT_EQ(grid->vertex(c).x, 2.0f * c) << c;
        EXPECT_FLOAT_EQ(grid->vertex(c).y, 0.0f) << c;
        EXPECT_FLOAT_EQ(grid->vertex(c).t, 0.0f) << c;
    }
    EXPECT_FLOAT_EQ(grid->vertex(0).s, 1.0f);
    EXPECT_NEAR(grid->vertex(64).t, 1.0f / 63.0f, 1e-6f);
    EXPECT_NEAR(grid->vertex(64).y, -128.0f / 63.0f, 1e-5f);
    const auto& c = grid->cell(3, 5);
    EXPECT_EQ(c.corner[0], 3 * 64 + 5);
    EXPECT_EQ(c.corner[1], 4 * 64 + 5);
    EXPECT_EQ(c.corner[2], 4 * 64 + 6);
    EXPECT_EQ(c.corner[3], 3 * 64 + 6);
}

TEST_F(WaveGridTest, ZeroAmplitudeLeavesEveryVertexAtRest) {
    grid->wave().generate(0, 0, 0, 1);
    for (int i = 0; i < 5; ++i) grid->update();
    for (int r = 0; r < 64; ++r) EXPECT_TRUE(atRest(r)) << "row " << r;
}

// Only the cell rows 2 .. R-3 are moved, so cell rows 0, 1 and R-2 are never written: vertex
// rows 0, 1 and R-1 stay at rest, while vertex row R-2 is the upper edge of cell row R-3.
TEST_F(WaveGridTest, OuterRowsNeverMove) {
    int moved = 0;
    int edgeMoved = 0;
    for (int i = 0; i < 30; ++i) {
        grid->update();
        EXPECT_TRUE(atRest(0));
        EXPECT_TRUE(atRest(1));
        EXPECT_TRUE(atRest(63));
        if (!atRest(10)) ++moved;
        if (!atRest(62)) ++edgeMoved;
    }
    EXPECT_GT(moved, 0);
    EXPECT_GT(edgeMoved, 0);
}

TEST(WaveGridBounds, SideCountsAreClamped) {
    kgl_test::TempCwd cwd("kgl_wavegrid_");  // setup writes its wave-table dump
    ASSERT_TRUE(cwd.ok());
    auto grid = std::make_unique<WaveGrid>();
    grid->setup(0, 0, 800, 600, 500, 1);  // a wider grid than rows: updates stay inside cells
    EXPECT_EQ(grid->columns, WaveGrid::kMaxSide);
    EXPECT_EQ(grid->rows, 2);
    grid->update();
    grid->setup(0, 0, 800, 600, 8, 100);  // more rows than columns
    for (int i = 0; i < 3; ++i) grid->update();
    EXPECT_EQ(grid->vertex(0).x, grid->restVertex(0).x);
}
