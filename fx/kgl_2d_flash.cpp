#include "fx/kgl_2d_flash.h"

#include "common/kgl_log.h"
#include "image/kgl_jpeg.h"
#include "image/kgl_k2d.h"

namespace kgl {
namespace {

// Decodes one K2D entry into a buffer of the picture's own size.
bool decodeEntry(JpegReader& reader, const K2DEntry& entry, std::vector<uint8_t>& pixels, int32_t& w,
                 int32_t& h) {
    if (!reader.ProbeMemory(entry.data, entry.size)) return false;
    const long pixelsCount = static_cast<long>(reader.Width()) * reader.Height();
    if (reader.Width() <= 0 || reader.Height() <= 0 || pixelsCount > kMaxImagePixels) return false;
    pixels.assign(reader.ByteSize(), 0);
    if (!reader.DecodeMemory(entry.data, entry.size, pixels.data(), pixels.size())) return false;
    w = reader.Width();
    h = reader.Height();
    return true;
}

}  // namespace

ScreenFlash::~ScreenFlash() = default;

bool ScreenFlash::loadImage(const std::string& path) {
    if (!loadPictures(path, 1)) return false;
    textured = 1;
    masked = 0;
    return true;
}

bool ScreenFlash::loadMaskedImage(const std::string& path) {
    if (!loadPictures(path, 2)) return false;
    textured = 0;
    masked = 1;
    return true;
}

// Reads the first `wanted` entries: the colour picture, then (for a masked overlay) its mask.
bool ScreenFlash::loadPictures(const std::string& path, int wanted) {
    std::vector<uint8_t> bytes;
    if (!ReadK2DFile(path.c_str(), bytes, kK2DMissingText)) return false;
    JpegReader reader;
    reader.SetName(path);
    std::vector<uint8_t>* buffers[2] = {&colourPixels, &maskPixels};
    int32_t* widths[2] = {&colourWidth, &maskWidth};
    int32_t* heights[2] = {&colourHeight, &maskHeight};
    int decoded = 0;
    WalkK2D(bytes, path.c_str(), [&](const K2DEntry& entry) {
        if (!decodeEntry(reader, entry, *buffers[decoded], *widths[decoded], *heights[decoded])) return false;
        ++decoded;
        return decoded < wanted;
    });
    if (decoded < wanted) {
        logLine("FLASH", path.c_str(), "picture %d of %d could not be read; the overlay stays untextured",
                decoded + 1, wanted);
        return false;
    }
    if (colourTexture == 0) {
        GLuint names[2] = {};
        glGenTextures(2, names);
        colourTexture = names[0];
        maskTexture = names[1];
    }
    const GLint filter = smooth ? GL_LINEAR : GL_NEAREST;
    uploadPicture(colourTexture, colourPixels, colourWidth, colourHeight, filter);
    if (wanted > 1) uploadPicture(maskTexture, maskPixels, maskWidth, maskHeight, filter);
    return true;
}

void ScreenFlash::uploadPicture(GLuint name, const std::vector<uint8_t>& pixels, int32_t w, int32_t h,
                                GLint filter) {
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

void ScreenFlash::setup(float w, float h) {
    orthoWidth = width = w;
    orthoHeight = height = h;
    offsetX = offsetY = 0.0f;
    active = 0;
    descending = 0;
    finished = 1;
    textured = 0;
    maskGrowX = maskGrowY = 4.5f;
}

void ScreenFlash::setColour(float r, float g, float b) {
    red = r;
    green = g;
    blue = b;
    alpha = 0.0f;
    fadeInSpeed = fadeOutSpeed = 0.14f;
    active = 0;
    descending = 0;
    finished = 1;
}

void ScreenFlash::start() {
    if (active) return;  // a running fade is not restarted
    finished = 0;
    alpha = 0.0f;
    active = 1;
}

void ScreenFlash::stop() {
    alpha = 0.0f;
    finished = 0;
    descending = 0;
    active = 0;
}

void ScreenFlash::shift(float dx, float dy) {
    offsetX += dx;
    offsetY += dy;
}

// Alpha may pass 1 for one step before the fade turns; it is clamped only at 0.
void ScreenFlash::update() {
    if (!fadeEnabled || finished) return;
    if (!descending) {
        alpha += fadeInSpeed;
    } else {
        alpha -= fadeOutSpeed;
    }
    if (alpha > 1.0f) descending = 1;
    if (alpha < 0.0f) {
        alpha = 0.0f;
        finished = 1;
        descending = 0;
        if (!hold) active = 0;
    }
}

void ScreenFlash::draw() {
    if (!active) return;
    beginOverlay();
    if (masked) {
        drawMasked();
    } else if (textured) {
        drawImage();
    } else {
        drawPlain();
    }
    endOverlay();
}

void ScreenFlash::beginOverlay() {
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, orthoWidth, 0.0, orthoHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
}

// The projection stays orthographic; the next drawer sets its own.
void ScreenFlash::endOverlay() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glDisable(GL_BLEND);
}

void ScreenFlash::drawPlain() {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(red, green, blue, alpha);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(width + offsetX, 0.0f);
    glVertex2f(width + offsetX, height + offsetY);
    glVertex2f(0.0f, height + offsetY);
    glEnd();
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);
}

// Additive picture; depth testing is left as it was.
void ScreenFlash::drawImage() {
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, colourTexture);
    glColor4f(red, green, blue, alpha);
    glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(offsetX, offsetY);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(width + offsetX, offsetY);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(width + offsetX, height + offsetY);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(0.0f, height + offsetY);
    glEnd();
    glDepthMask(GL_TRUE);
}

// The mask multiplies the picture below, then the colour picture is added where it is dark.
void ScreenFlash::drawMasked() {
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, maskTexture);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    drawMaskedQuad();
    glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, colourTexture);
    drawMaskedQuad();
    glDepthMask(GL_TRUE);
}

void ScreenFlash::drawMaskedQuad() {
    const float w = width + maskGrowX;
    const float h = height + maskGrowY;
    glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(w, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(w, h);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(0.0f, h);
    glEnd();
}

}  // namespace kgl
