#include "scene/kgl_bezier.h"

#include <cmath>
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
    // The trace file is opened (emptied) before the record is read, so a shape that is cut
    // short leaves an empty trace rather than the previous shape's.
    FILE* log = writeLog ? std::fopen(kBezierLogName, "w") : nullptr;
    if (writeLog && !log) logLine("SCENE", kBezierLogName, "cannot write the shape trace");
    const bool ok = readRecord(in);
    if (ok) computeCoefficients();
    if (log) {
        if (ok) writeTrace(log);
        std::fclose(log);
    }
    return ok;
}

bool BezierShape::readRecord(SceneFileReader& in) {
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
    return true;
}

// Coefficient i is n (n-1) ... (n-i+1) / i!, both products in double, built on from the
// previous coefficient's products (the same multiplications in the same order as from scratch,
// so a shape of 65535 points takes 65535 steps, not two billion). Where either product is no
// longer finite, the coefficient continues from the previous one as C(n, i-1) (n-i+1) / i.
void BezierShape::computeCoefficients() {
    const int n = count;
    coefficients.resize(n);
    double product = 1.0;    // n (n-1) ... (n-i+1), the empty product being 1
    double factorial = 1.0;  // i!
    double c = 1.0;
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            product *= n - (i - 1);
            factorial *= i;
            c = std::isfinite(product) && std::isfinite(factorial) ? product / factorial
                                                                   : c * (n - (i - 1)) / i;
        }
        coefficients[i] = c;
    }
}

void BezierShape::writeTrace(FILE* f) const {
    std::fprintf(f, "\n\nBezier Pivot %f %f %f", pivot.x, pivot.y, pivot.z);
    for (int i = 0; i < count; ++i)
        std::fprintf(f, "\nControl Point %d, %f %f %f", i, points[i].x, points[i].y, points[i].z);
    for (int i = 0; i < count; ++i) std::fprintf(f, "\nBern_Coef %d %f", i, coefficients[i]);
}

}  // namespace kgl
