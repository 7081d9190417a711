// WaveGrid: a grid of up to 128 x 128 vertices (64 x 64 in the show) drawn with whatever texture
// is bound, whose inner rows wobble with sine and cosine waves; the amplitude and frequency walk
// along a FastTrigo curve. The engine owns two and uses them to distort the captured picture.
#pragma once

#include <cstdint>

#include "scene/kgl_2d_fasttrigo.h"

namespace kgl {

class WaveGrid {
public:
    static constexpr int kMaxSide = 128;
    static constexpr int kMaxVertices = kMaxSide * kMaxSide;  // 16384

    // Vertices and cells are written by setup for the grid's size only; nothing reads the rest,
    // so the 1 MB of room for the largest grid is not written at construction.
    struct Vertex {
        int32_t index;
        float s, t;
        float x, y, z;
    };
    // Corners of one grid square: lower-left, upper-left, upper-right, lower-right, as vertex
    // indices, so a vertex shared by several cells is one vertex.
    struct Cell {
        int32_t corner[4];
    };

    WaveGrid() = default;
    virtual ~WaveGrid() = default;
    WaveGrid(const WaveGrid&) = delete;
    WaveGrid& operator=(const WaveGrid&) = delete;

    // Stores the values, fills the wobble curve (writes its "lissa" text dump into the working
    // directory) and builds the vertices and cells. Columns and rows are clamped to 2 .. 128.
    void setup(int a, int b, int screenWidth, int screenHeight, int columns, int rows);
    void setAlpha(float a) { alpha = a; }
    void update();  // one wobble step
    void draw();    // draws the bound texture through the grid

    const Vertex& vertex(int i) const { return vertices_[i]; }
    const Vertex& restVertex(int i) const { return rest_[i]; }
    const Cell& cell(int row, int column) const { return cells_[row][column]; }
    FastTrigo& wave() { return wave_; }

    int32_t columns = 0;
    int32_t rows = 0;
    int32_t setupA = 0, setupB = 0, screenWidth = 0, screenHeight = 0;  // stored, not read
    float red = 1.0f, green = 1.0f, blue = 1.0f, alpha = 1.0f;
    float waveScale = 0.9f;

private:
    void buildVertices();
    void buildCells();
    void moveCell(int row, int column, float dx, float dy, float dz);

    FastTrigo wave_;    // channel 0 drives the wobble
    FastTrigo unused_;  // constructed with the grid, never filled
    Vertex vertices_[kMaxVertices];
    Vertex rest_[kMaxVertices];
    Cell cells_[kMaxSide][kMaxSide];
};

}  // namespace kgl
