// Framebuffer objects for the two places that draw into one: the off-screen target and the
// picture of a desktop full-screen window. The entry points come from GL_ARB_framebuffer_object
// or its EXT predecessor (same enums); one framebuffer is a colour and a depth + stencil
// renderbuffer, bound in the context that made it.
#pragma once

namespace kgl {

struct FramebufferApi;

// Where a width x height picture lands on a windowWidth x windowHeight screen: as large as fits at
// its own aspect, centred, with black bars on the two other sides.
struct LetterboxRect {
    int x = 0, y = 0, width = 0, height = 0;
};
LetterboxRect letterboxRect(int width, int height, int windowWidth, int windowHeight);

// Needs a current context: the extension string decides, never a non-null entry point. The blit
// is present only with the ARB extension. Null when framebuffer objects are unavailable.
const FramebufferApi* framebufferApi();

class Framebuffer {
public:
    Framebuffer() = default;
    virtual ~Framebuffer() = default;  // GL names are freed by destroy(), in their context

    // Creates and binds a width x height framebuffer (RGBA8, depth 24 + stencil 8) in the current
    // context. False when it is unavailable or incomplete (whatever was made is freed).
    bool create(int width, int height);
    // Unbinds and frees it; the context that made it must be current.
    void destroy();
    void bind() const;
    // True when its picture can be copied onto the window (the ARB blit is there).
    bool canPresent() const;
    // Clears the window's framebuffer (0, windowWidth x windowHeight) black and copies the
    // picture onto it, scaled at its aspect and centred (see letterboxRect); leaves it bound.
    void presentScaled(int windowWidth, int windowHeight) const;

    bool ready() const { return framebuffer_ != 0; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    unsigned framebuffer_ = 0;
    unsigned buffers_[2] = {};  // colour, depth + stencil
    int width_ = 0;
    int height_ = 0;
};

}  // namespace kgl
