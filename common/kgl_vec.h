// The two small value types every subsystem shares: a 3-component float vector (the engine works
// Y-up; scene files are Z-up and readers convert) and an RGBA colour with floats in 0..1.
#pragma once

namespace kgl {

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct ColorRGBA {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

}  // namespace kgl
