// K2D picture containers. A K2D file holds JPEG entries tagged with a slot number; the entry
// walk here is shared by every reader of the format (this picture set, the 2D effects, lens
// flares, particle sprites), which differ only in where they put the decoded pixels.
// K2DImage is a set of up to 10 screen pictures drawn as textured quads in an orthographic
// projection of the screen size (the loading screen uses one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/kgl_jpeg.h"

namespace kgl {

constexpr int kK2DSlots = 10;
constexpr size_t kK2DEntriesOffset = 28;  // header bytes are not interpreted
constexpr char kK2DMissingText[] = "K2D Scene File Not Founde.";
constexpr char kK2DMissingCaption[] = "K2D Loading ERROR";

// One entry as the walk found it. `data` points into the file bytes and holds exactly `size`
// bytes (the stored length), so a decoder given the span can never read past it.
struct K2DEntry {
    int number = 0;    // position of the entry in the file, 0-based
    std::string name;  // read and not used by the show
    uint8_t slot = 0;  // the slot byte, unchecked: each reader checks it against its own capacity
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// Reads a K2D file whole. A file that cannot be read shows `missingText` in a box captioned
// "K2D Loading ERROR" and returns false.
bool ReadK2DFile(const char* path, std::vector<uint8_t>& bytes, const char* missingText = kK2DMissingText);

// Walks the entries: offset 28, one skipped byte, the entry count, then per entry the name,
// slot, length S and S bytes; the next entry starts S + 1 bytes after the length field whatever
// a decoder consumed. Calls `visit` for each entry until it returns false. A damaged entry ends
// the walk with one "K2D: [file] ..." line. Returns the number of entries visited.
int WalkK2D(const std::vector<uint8_t>& bytes, const char* fileName,
            const std::function<bool(const K2DEntry&)>& visit);

// One screen picture of a K2DImage.
class K2DPicture {
public:
    virtual ~K2DPicture() = default;

    // Corners from the current position and the drawn size (y-up projection coordinates).
    void UpdateCorners();

    JpegReader reader;
    std::vector<uint8_t> pixels;  // imageWidth * imageHeight * 3, RGB, top row first
    int32_t imageWidth = 0, imageHeight = 0;
    int32_t screenWidth = 0, screenHeight = 0;
    float scaleX = 1.0f, scaleY = 1.0f;
    int32_t drawWidth = 0, drawHeight = 0;
    // Screen pixels, x to the right, y downward from the top edge.
    int32_t x = 0, y = 0, z = 0;
    int32_t targetX = 0, targetY = 0, targetZ = 0;
    int32_t corners[4][2] = {};
    uint8_t loaded = 0, shown = 0;
    float brightness = 0.7f;
    float alpha = 1.0f;
};

class K2DImage {
public:
    K2DImage() = default;
    virtual ~K2DImage() = default;

    // Stores the screen size (and a set-up value kept for reference), enables texturing,
    // generates the 10 texture names with linear filters. Needs a current GL context.
    void Init(int width, int height, int value);
    // Reads a K2D file into the slots its entries name; a later entry for the same slot replaces
    // the earlier one. Missing file: the box "K2D Scene File Not Founde.". Needs GL (uploads).
    bool Load(const char* fileName);
    void SetAlpha(float alpha, int slot);
    void SetSize(int width, int height, int slot);
    void SetPosition(int x, int y, int z, int slot);
    // Draws every shown and loaded slot in slot order over the current picture.
    void Draw();

    int32_t screenWidth = 0, screenHeight = 0, setupValue = 0;
    K2DPicture pictures[kK2DSlots];
    uint32_t textures[kK2DSlots] = {};
    int32_t loadedCount = 0;

private:
    void LoadEntry(const K2DEntry& entry, const char* fileName);
    void DrawPicture(const K2DPicture& p) const;
};

}  // namespace kgl
