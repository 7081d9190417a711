// The entry routine of the show: dialog, window, loading screen, engine set-up, music and event
// track, the frame loop and the shut-down, in that order. Called once by main().
#pragma once

#include <cstdint>

#include "app/kgl_cmdline.h"

namespace kgl {

class DemoEngine;

// What a command that records the show (kgl render) adds to its run: the window's size, a look
// at the built show and at every drawn frame.
class ShowRecorder {
public:
    virtual ~ShowRecorder() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // The show is built and its music started, nothing drawn yet; false ends the run.
    virtual bool begin(DemoEngine& engine) = 0;
    // After begin(): the music byte position the show seeks to before its first drawn frame
    // (0: none). The seek lands on the loop turn that plays it, so the frames before it are
    // replayed without being drawn and keep their numbers.
    virtual uint32_t seekTarget() const { return 0; }
    // Frame `frame` of the show is in the back buffer; false ends the run.
    virtual bool frameDrawn(int64_t frame) = 0;
};

// Window title at creation.
constexpr const char* kWindowTitle = "KGL KORVO Realtime OpenGL 3D/2D Engine =";

// Plays the show; returns the process exit status (0 also when the dialog is cancelled, 1 when
// the display cannot be opened, 2 when the data folder is missing). With a recorder the window
// has the recorder's size and every drawn frame is handed to it.
int runShow(const ShowOptions& options, ShowRecorder* recorder = nullptr);

}  // namespace kgl
