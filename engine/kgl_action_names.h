// The director's actions 0..90 by range: which part of the director performs each action, and a
// short name for it ("scene 3", "flash 26 toggle", "camera 2", ...). The names come from the
// director's tables, so they follow the show when a table row changes. Nothing here needs an
// engine or a GL context: the HUD, the text track and `kgl info` use it as they are.
#pragma once

#include <cstdint>

namespace kgl {

constexpr int kFirstAction = 0;
constexpr int kLastAction = 90;

// What part of the director performs an action.
enum class ActionKind : uint8_t {
    kUnused,          // no action: its fired flag is never taken
    kSceneSwitch,     // select a scene slot
    kOverlayScene,    // toggle the overlay scene
    kOverlay,         // start or toggle a screen flash
    kComposition,     // move one of the four blend selectors
    kPlayback,        // the current scene's playback and cameras
    kBlur,            // motion blur, wave grids, pulse
    kSceneAnimation,  // clocks or particles of the current scene
    kVertexProgram,   // morphs, vertex programs and line trails on fixed slots
    kOverlayCamera,   // the overlay scene's camera
};

struct ActionRange {
    int first, last;  // inclusive
    ActionKind kind;
};

// Every action 0..90, in action order, each in exactly one range.
constexpr ActionRange kActionRanges[] = {
    {0, 5, ActionKind::kSceneSwitch},     {6, 7, ActionKind::kOverlayScene},
    {8, 11, ActionKind::kSceneSwitch},    {12, 21, ActionKind::kOverlay},
    {22, 22, ActionKind::kUnused},        {23, 26, ActionKind::kOverlay},
    {27, 34, ActionKind::kComposition},   {35, 49, ActionKind::kPlayback},
    {50, 59, ActionKind::kBlur},          {60, 63, ActionKind::kSceneAnimation},
    {64, 65, ActionKind::kOverlay},       {66, 66, ActionKind::kUnused},
    {67, 68, ActionKind::kOverlay},       {69, 86, ActionKind::kVertexProgram},
    {87, 90, ActionKind::kOverlayCamera},
};

constexpr bool actionRangesTile() {
    int next = kFirstAction;
    for (const ActionRange& r : kActionRanges) {
        if (r.first != next || r.last < r.first) return false;
        next = r.last + 1;
    }
    return next == kLastAction + 1;
}
static_assert(actionRangesTile(), "the action ranges must cover 0..90 in order, without gaps");

// kUnused for numbers outside 0..90 too.
constexpr ActionKind ActionKindOf(int action) {
    for (const ActionRange& r : kActionRanges) {
        if (action >= r.first && action <= r.last) return r.kind;
    }
    return ActionKind::kUnused;
}

// The short name of an action; "unused" for 22 and 66, "unknown" outside 0..90. The text lives
// as long as the process.
const char* ActionName(int action);

}  // namespace kgl
