#include "scene/kgl_bezier.h"

#include <cstdio>

#include "common/kgl_log.h"
#include "scene/kgl_scenefile.h"

namespace kgl {

bool BezierShape::read(SceneFileReader& in, bool writeLog) {
    points.clear();
    coefficients.clear();
    spare.clear();
    count = 0;
    current = 0;
    float p[3] = {};
    uint16_t n = 0;
    if (!in.name(name, "a shape name") || !in.vec3(p, "a shape pivot") || !in.u16(n, "a shape point count"))
        return false;
    pivot = Vec3{p[0], p[1], p[2]};
    if (!in.fits(n, 12, "shape points")) return false;
    points.resize(n);
    for (Vec3& v : points) {
        in.vec3(p, "shape points");
        v = Vec3{p[0], p[1], p[2]};
    }
    count = n;
    spare.assign(n, 0.0);
    computeCoefficients();
    if (writeLog) writeTrace();
    return true;
}

// C(n, i) = C(n, i-1) (n-i+1) / i: each value continues the product of the one before, in the
// same order of operations as computing it from scratch, so a shape of 65535 points takes 65535
// steps instead of two billion.
void BezierShape::computeCoefficients() {
    const int n = count;
    coefficients.resize(n);
    double c = 1.0;
    for (int i = 0; i < n; ++i) {
        if (i > 0) c = c * (n - (i - 1)) / i;
        coefficients[i] = c;
    }
}

void BezierShape::writeTrace() const {
    FILE* f = std::fopen(kBezierLogName, "w");
    if (!f) {
        logLine("SCENE", kBezierLogName, "cannot write the shape trace");
        return;
    }
    std::fprintf(f, "\n\nBezier Pivot %f %f %f", pivot.x, pivot.y, pivot.z);
    for (int i = 0; i < count; ++i)
        std::fprintf(f, "\nControl Point %d, %f %f %f", i, points[i].x, points[i].y, points[i].z);
    for (int i = 0; i < count; ++i) std::fprintf(f, "\nBern_Coef %d %f", i, coefficients[i]);
    std::fclose(f);
}

}  // namespace kgl
