// BezierShape: one spline shape of a 3D scene (a shape record of the scene file): its control
// points and their Bernstein coefficients. Owned by its Scene3D; nothing evaluates the curve in
// this show, the shape stays in memory with its scene.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/kgl_vec.h"

namespace kgl {

class SceneFileReader;

constexpr char kBezierLogName[] = "BEZIER1.LOG";

class BezierShape {
public:
    BezierShape() = default;
    virtual ~BezierShape() = default;

    // Reads one shape record (name, pivot, point count, points; file coordinates, Z-up, stored as
    // they are) from the reader's position and computes the coefficients. With `writeLog` the
    // trace goes to "BEZIER1.LOG" in the working directory (each shape overwrites the last).
    // False when the record is cut short; the reader has then reported it.
    bool read(SceneFileReader& in, bool writeLog = true);

    std::string name;  // at most 255 bytes
    Vec3 pivot;
    std::vector<Vec3> points;
    std::vector<double> coefficients;  // n! / ((n - i)! i!) with n the number of points
    std::vector<double> spare;         // one value per point, allocated and left empty
    int32_t count = 0;
    int32_t current = 0;
    uint8_t index = 0;  // the shape's own index in its scene

private:
    bool readRecord(SceneFileReader& in);
    void computeCoefficients();
    void writeTrace(std::FILE* f) const;
};

}  // namespace kgl
