#include "image/kgl_k2d.h"

#include <GL/gl.h>

#include "common/kgl_bytes.h"
#include "common/kgl_log.h"
#include "image/kgl_texture.h"
#include "platform/kgl_msgbox.h"

namespace kgl {

bool ReadK2DFile(const char* path, std::vector<uint8_t>& bytes, const char* missingText) {
    if (readFile(path, bytes)) return true;
    messageBox(missingText, kK2DMissingCaption, MsgBoxKind::Info);
    logLine("K2D", path ? path : "", "not found");  // the message box does not name the file
    return false;
}

int WalkK2D(const std::vector<uint8_t>& bytes, const char* fileName,
            const std::function<bool(const K2DEntry&)>& visit) {
    ByteReader in(bytes);
    uint8_t count = 0;
    if (!in.seek(kK2DEntriesOffset) || !in.skip(1) || !in.u8(count)) {
        logLine("K2D", fileName, "file of %zu bytes ends before its entry count", bytes.size());
        return 0;
    }
    int visited = 0;
    for (int i = 0; i < count; ++i) {
        K2DEntry e;
        e.number = i;
        uint8_t nameLength = 0;
        int32_t length = 0;
        if (!in.u8(nameLength) || in.remaining() < nameLength) {
            logLine("K2D", fileName, "entry %d of %d is cut short", i, count);
            break;
        }
        e.name.assign(reinterpret_cast<const char*>(bytes.data() + in.position()), nameLength);
        in.skip(nameLength);
        if (!in.u8(e.slot) || !in.i32(length)) {
            logLine("K2D", fileName, "entry %d of %d is cut short", i, count);
            break;
        }
        const size_t start = in.position();
        if (length < 0 || static_cast<size_t>(length) > in.remaining()) {
            logLine("K2D", fileName, "entry %d (\"%s\") claims %d bytes, %zu remain", i, e.name.c_str(),
                    length, in.remaining());
            break;
        }
        e.data = bytes.data() + start;
        e.size = static_cast<size_t>(length);
        ++visited;
        if (!visit(e)) break;
        // The next entry starts after the stored length and one further byte.
        const size_t next = start + e.size + 1;
        if (next > bytes.size()) {
            if (i + 1 < count) logLine("K2D", fileName, "file ends after entry %d of %d", i, count);
            break;
        }
        in.seek(next);
    }
    return visited;
}

void K2DPicture::UpdateCorners() {
    const int32_t H = screenHeight;
    corners[0][0] = x;
    corners[0][1] = H - y;
    corners[1][0] = x;
    corners[1][1] = H - y - drawHeight;
    corners[2][0] = x + drawWidth;
    corners[2][1] = H - y - drawHeight;
    corners[3][0] = x + drawWidth;
    corners[3][1] = H - y;
}

void K2DImage::Init(int width, int height, int value) {
    screenWidth = width;
    screenHeight = height;
    setupValue = value;
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(kK2DSlots, textures);
    for (uint32_t t : textures) {
        glBindTexture(GL_TEXTURE_2D, t);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
}

bool K2DImage::Load(const char* fileName) {
    std::vector<uint8_t> bytes;
    if (!ReadK2DFile(fileName, bytes)) return false;
    WalkK2D(bytes, fileName, [&](const K2DEntry& e) {
        LoadEntry(e, fileName);
        return true;
    });
    return true;
}

void K2DImage::LoadEntry(const K2DEntry& e, const char* fileName) {
    if (e.slot >= kK2DSlots) {
        logLine("K2D", fileName, "entry %d names slot %u, slots are 0..%d; skipped", e.number, e.slot,
                kK2DSlots - 1);
        return;
    }
    K2DPicture& p = pictures[e.slot];
    p.reader.SetName(std::string(fileName) + ":" + e.name);
    DecodeImageMemory(e.data, e.size, std::string(fileName) + ":" + e.name, p.pixels, p.imageWidth,
                      p.imageHeight);
    p.brightness = 0.7f;
    p.loaded = 1;
    p.shown = 1;
    p.screenWidth = screenWidth;
    p.screenHeight = screenHeight;
    p.drawWidth = static_cast<int32_t>(p.imageWidth * p.scaleX);
    p.drawHeight = static_cast<int32_t>(p.imageHeight * p.scaleY);
    p.UpdateCorners();
    ++loadedCount;
    glBindTexture(GL_TEXTURE_2D, textures[e.slot]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, p.imageWidth, p.imageHeight, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 p.pixels.data());
}

void K2DImage::SetAlpha(float alpha, int slot) {
    if (slot >= 0 && slot < kK2DSlots) pictures[slot].alpha = alpha;
}

void K2DImage::SetSize(int width, int height, int slot) {
    if (slot < 0 || slot >= kK2DSlots) return;
    K2DPicture& p = pictures[slot];
    if (p.imageWidth > 0) p.scaleX = static_cast<float>(width) / static_cast<float>(p.imageWidth);
    if (p.imageHeight > 0) p.scaleY = static_cast<float>(height) / static_cast<float>(p.imageHeight);
    p.drawWidth = static_cast<int32_t>(p.imageWidth * p.scaleX);
    p.drawHeight = static_cast<int32_t>(p.imageHeight * p.scaleY);
    p.UpdateCorners();
}

void K2DImage::SetPosition(int x, int y, int z, int slot) {
    if (slot < 0 || slot >= kK2DSlots) return;
    K2DPicture& p = pictures[slot];
    p.x = p.targetX = x;
    p.y = p.targetY = y;
    p.z = p.targetZ = z;
    p.UpdateCorners();
}

void K2DImage::DrawPicture(const K2DPicture& p) const {
    static const float kTex[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};  // first image row at the top
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glBegin(GL_QUADS);
    glColor4f(p.brightness, p.brightness, p.brightness, p.alpha);
    for (int c = 0; c < 4; ++c) {
        glTexCoord2f(kTex[c][0], kTex[c][1]);
        glVertex2i(p.corners[c][0], p.corners[c][1]);
    }
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

void K2DImage::Draw() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, screenWidth, 0, screenHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (int s = 0; s < kK2DSlots; ++s) {
        K2DPicture& p = pictures[s];
        if (!p.shown || !p.loaded) continue;
        glBindTexture(GL_TEXTURE_2D, textures[s]);
        DrawPicture(p);
        p.x = p.targetX;
        p.y = p.targetY;
        p.z = p.targetZ;
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

}  // namespace kgl
