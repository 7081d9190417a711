// A K2D picture set: up to 10 screen-space pictures with their textures, loaded from one
// K2D container file.
#pragma once

namespace kgl {

class K2DImage {
public:
    K2DImage() = default;
    virtual ~K2DImage() = default;
};

}  // namespace kgl
