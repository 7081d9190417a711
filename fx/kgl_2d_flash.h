// ScreenFlash: a full-screen colour quad, an additive K2D picture or a masked K2D picture, drawn
// in an orthographic projection after the 3D scene, fading in to full opacity and out again at
// fixed steps per update. The engine owns 33 of them; the director starts and stops them.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kgl {

class ScreenFlash {
public:
    ScreenFlash() = default;
    virtual ~ScreenFlash();
    ScreenFlash(const ScreenFlash&) = delete;
    ScreenFlash& operator=(const ScreenFlash&) = delete;

    void setup(float width, float height);
    void setColour(float r, float g, float b);
    void setFadeInSpeed(float v) { fadeInSpeed = v; }
    void setFadeOutSpeed(float v) { fadeOutSpeed = v; }
    void setFadeEnabled(int32_t v) { fadeEnabled = v; }
    void setHold(uint8_t v) { hold = v; }

    // K2D pictures (needs a current GL context). A missing file shows "K2D Scene File Not
    // Founde." and leaves the overlay untextured. False when nothing was loaded.
    bool loadImage(const std::string& path);        // first entry -> colourTexture
    bool loadMaskedImage(const std::string& path);  // first two entries -> colour and mask

    void start();
    void stop();
    void shift(float dx, float dy);
    void update();  // one fade step
    void draw();    // once per frame while its overlay switch is on

    uint8_t active = 0;
    int32_t fadeEnabled = 1;
    uint8_t finished = 1;
    uint8_t descending = 0;
    uint8_t hold = 0;  // stay active at alpha 0 after the fade-out
    float alpha = 0.0f;
    float fadeInSpeed = 0.0f;
    float fadeOutSpeed = 0.0f;
    float red = 0.0f, green = 0.0f, blue = 0.0f;
    float width = 0.0f, height = 0.0f;  // quad size in screen units
    float offsetX = 0.0f, offsetY = 0.0f;
    float orthoWidth = 0.0f, orthoHeight = 0.0f;
    uint8_t textured = 0;
    uint8_t masked = 0;
    uint8_t smooth = 1;  // linear (1) or nearest (0) filtering, chosen when the images load
    float maskGrowX = 1.5f, maskGrowY = 1.5f;
    GLuint colourTexture = 0;
    GLuint maskTexture = 0;

    // Decoded pictures, kept for the life of the overlay.
    int32_t colourWidth = 0, colourHeight = 0;
    int32_t maskWidth = 0, maskHeight = 0;
    std::vector<uint8_t> colourPixels;
    std::vector<uint8_t> maskPixels;

private:
    bool loadPictures(const std::string& path, int wanted);
    void uploadPicture(GLuint name, const std::vector<uint8_t>& pixels, int32_t w, int32_t h, GLint filter);
    void beginOverlay();
    void endOverlay();
    void drawPlain();
    void drawImage();
    void drawMasked();
    void drawMaskedQuad();
};

}  // namespace kgl
