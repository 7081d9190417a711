#include "fx/kgl_wavegrid.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace kgl {
namespace {

int clampSide(int n) {
    return n < 2 ? 2 : (n > WaveGrid::kMaxSide ? WaveGrid::kMaxSide : n);
}

}  // namespace

void WaveGrid::setup(int a, int b, int width, int height, int cols, int rowCount) {
    setupA = a;
    setupB = b;
    screenWidth = width;
    screenHeight = height;
    columns = clampSide(cols);
    rows = clampSide(rowCount);
    wave_.setFold();
    wave_.generateAndDump(5.89f, 0.3f, 0, 3);
    wave_.setFold();
    wave_.setStep(1);
    buildVertices();
    buildCells();
}

// Row by row, with the running values kept in 32-bit floats as the grid has always been built:
// x = 0, 2, ... 126 across a row of 64, y falling about 2.03 per row, s from 1 to 0, t up 1/63.
void WaveGrid::buildVertices() {
    const int k = columns;
    const float sStep = 1.0f / static_cast<float>(k - 1);
    const float xStep = 2.0f * static_cast<float>(k) / static_cast<float>(rows);
    const float xLast = 2.0f * static_cast<float>(k) - 2.0f;
    const float yStep = 2.0f * static_cast<float>(k) / static_cast<float>(k - 1);
    float x = 0.0f, y = 0.0f, s = 1.0f, t = 0.0f;
    for (int j = 0; j < k * rows; ++j) {
        Vertex& v = vertices_[j];
        v.index = j;
        v.s = s;
        v.t = t;
        v.x = x;
        v.y = y;
        v.z = 0.0f;
        rest_[j] = v;
        if (s - sStep >= 0.0f) {
            s = s - sStep;
        } else {
            s = 1.0f;
            t = t + sStep;
        }
        const float w = x + xStep;
        if (w <= xLast) {
            x = w;
        } else {
            x = 0.0f;
            y = y - yStep;
        }
    }
}

void WaveGrid::buildCells() {
    const int k = columns;
    for (int m = 0; m <= rows - 2; ++m) {
        for (int u = 0; u <= k - 2; ++u) {
            Cell& c = cells_[m][u];
            c.corner[0] = m * k + u;
            c.corner[1] = (m + 1) * k + u;
            c.corner[2] = (m + 1) * k + u + 1;
            c.corner[3] = m * k + u + 1;
        }
    }
}

void WaveGrid::moveCell(int row, int column, float dx, float dy, float dz) {
    for (int32_t i : cells_[row][column].corner) {
        vertices_[i].x = rest_[i].x - dx;
        vertices_[i].y = rest_[i].y - dy;
        vertices_[i].z = rest_[i].z + dz;
    }
}

// The row count bounds both loops (the grid is square in the show); columns beyond the last
// cell of a narrower grid are skipped rather than read from cells that were never built.
void WaveGrid::update() {
    float amp = 0.0f;
    float freq = 0.0f;
    wave_.sample(0, amp, freq);
    const float scaled = amp * waveScale;
    const int lastColumn = (rows - 2 < columns - 2) ? rows - 2 : columns - 2;
    for (int p = 2; p <= rows - 3; ++p) {
        const float dy = std::sin(static_cast<float>(p) * freq) * scaled;
        for (int q = 0; q <= lastColumn; ++q) {
            const float dx = std::sin(static_cast<float>(q) * freq) * scaled;
            const float dz = std::cos(static_cast<float>(p + q) * freq) * scaled;
            moveCell(p, q, dx, dy, dz);
        }
    }
    wave_.advance(0);
}

void WaveGrid::draw() {
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_FOG);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);

    const float r = static_cast<float>(rows);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, 1.3, 0.1, 9000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(1.3f, 1.0f, 1.0f);
    glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
    glTranslatef(-17.0f / 16.0f * r, r, -40.0f / 16.0f * r);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
    glColor4f(red, green, blue, alpha);
    glBegin(GL_QUADS);
    for (int i = 0; i <= rows - 2; ++i) {
        for (int j = 0; j <= columns - 2; ++j) {
            for (int32_t c : cells_[i][j].corner) {
                const Vertex& v = vertices_[c];
                glTexCoord2f(v.s, v.t);
                glVertex3f(v.x, v.y, v.z);
            }
        }
    }
    glEnd();

    glPopMatrix();
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
}

}  // namespace kgl
