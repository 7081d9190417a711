// Camera converter: eye, rotation axis and target, the field of view per frame when the camera's
// animation block agrees with its settings, and the eye and target tracks of its TM_ANIMATIONs.
#include "import/kgl_import.h"
#include "scene/kgl_scene3d.h"  // the loader's track capacities

namespace kgl {

bool AseImporter::ConvertCameras() {
    text_.seek(0);
    for (;;) {
        CloseLog();
        OpenLog(true);
        if (SkipTo("CAMERAOBJECT") != 1) return true;
        if (counts_.cameras == 0xFFFF) return Reject("more than 65535 cameras");
        ++counts_.cameras;
        if (!ConvertCamera()) return false;
    }
}

bool AseImporter::ConvertCamera() {
    const std::string name = ReadNodeName();
    Log("\nProcessed %s Camera", name.c_str());
    WriteName(name);
    if (hitEnd() || !WriteVectorAfter("TM_POS") || !WriteVectorAfter("ROTAXIS") || SkipTo(".Target") != 1 ||
        !WriteVectorAfter("TM_POS"))
        return Reject("camera %s: the input ends before its eye, axis and target", name.c_str());
    const size_t p = text_.tell();

    if (SkipTo("*CAMERA_SETTINGS") != 1 || SkipTo("*CAMERA_TDIST") != 1)
        return Reject("camera %s: no CAMERA_SETTINGS with CAMERA_TDIST", name.c_str());
    const float d1 = ReadFloat();
    Log("\nTDIST %f #1", d1);
    if (SkipTo("*CAMERA_ANIMATION") != 1) {
        Log("\nCamera : %s, #2 sense animaci\xF3 FOV", name.c_str());
        out_.u8(0);
    } else {
        const size_t q = text_.tell();
        SkipTo("*CAMERA_TDIST");
        const float d2 = ReadFloat();
        Log("\nTDIST %f #2", d2);
        if (d1 != d2) {
            Log("\nCamera : %s, #1 sense animaci\xF3 FOV", name.c_str());
            out_.u8(0);
        } else {
            Log("\nCamera : %s, te animaci\xF3 FOV", name.c_str());
            text_.seek(q);
            out_.u8(1);
            if (!WriteFovTrack(name, repair_ ? BlockEnd(q) : text_.size())) return false;
        }
    }
    text_.seek(p);
    return WriteCameraAnimation(name, p);
}

// One field of view per frame, last frame + 1 values in all: a gap between samples repeats the
// previous value, samples past the last frame are dropped and a short block is padded.
// Repair mode stops at the end of the CAMERA_ANIMATION block and holds the last value.
bool AseImporter::WriteFovTrack(const std::string& name, size_t blockEnd) {
    Log("\nWarning exporting FOV sample keys...if not marked all the same\nas last Time in 3dsMAX, I will "
        "crash");
    sampleCounter_ = 0;
    Log("\n%lld FOV Camera keys", static_cast<long long>(EndTime()));
    const int frames = lastFrame_ + 1;
    int written = 0;
    int recoveries = 0;
    long previousTime = -1;
    float value = 0.0f;
    for (bool last = false; !last;) {
        if (SkipToWithin("*TIMEVALUE", blockEnd) != 1) {
            if (repair_ && written > 0) {
                Log("\n****Repair: the FOV animation of %s ends before the end time", name.c_str());
                ++repairs_.heldAnimations;
                break;
            }
            return Reject("camera %s: the FOV animation ends before the end time %lld", name.c_str(),
                          static_cast<long long>(EndTime()));
        }
        const long t = ReadLong();
        last = t == EndTime();
        if (last) {
            if (sampleCounter_ < lastFrame_)
                Log("\a\a\n****Error Verify the FOV keys of %s object to Time 0 to %d", name.c_str(),
                    lastFrame_);
            Log("\n** OK! exported animation of %d FOV Frames", sampleCounter_);
        }
        ++sampleCounter_;
        if (written > 0 && ticksPerFrame_ > 0 && t - previousTime > ticksPerFrame_) {
            Log("\a\a\n****Recovery error #%d of %s object Time %ld to %ld", ++recoveries, name.c_str(),
                previousTime, t);
            for (long gap = (t - previousTime) / ticksPerFrame_ - 1; gap > 0 && written < frames;
                 --gap, ++written)
                out_.f32(value);
        }
        previousTime = t;
        SkipTo("*CAMERA_FOV");
        value = ReadFloat();
        if (hitEnd()) return Reject("camera %s: the input ends inside its FOV animation", name.c_str());
        if (written < frames) {
            out_.f32(value);
            ++written;
        }
    }
    for (; written < frames; ++written) out_.f32(value);
    return true;
}

// Eye track (position and rotation) from the camera's own TM_ANIMATION, then the target's track
// from the TM_ANIMATION of "<name>.Target". The next camera is searched from where this ends.
bool AseImporter::WriteCameraAnimation(const std::string& name, size_t p) {
    const int maxSamples = lastFrame_ + kCameraTrackExtra;  // what the loader's tables hold
    if (!NextAnimationIs(name)) {
        out_.u8(0);
        text_.seek(p);
    } else {
        Log("\nWarning exporting sample keys...if not marked all the same\nas last Time in 3dsMAX, I will "
            "crash");
        out_.u8(1);
        sampleCounter_ = 0;
        int n = WriteTrackBlock("CONTROL_POS_TRACK {", "CONTROL_POS_SAMPLE", 3, true, maxSamples);
        if (n >= 0) {
            sampleCounter_ = 0;
            n = WriteTrackBlock("CONTROL_ROT_TRACK {", "CONTROL_ROT_SAMPLE", 4, true, maxSamples);
        }
        if (n < 0) return Reject("camera %s: the input ends inside its TM_ANIMATION", name.c_str());
        sampleCounter_ = n;
    }
    if (!NextAnimationIs(name + ".Target")) {
        out_.u8(0);
        text_.seek(p);
        return true;
    }
    out_.u8(1);
    sampleCounter_ = 0;
    const int n = WriteTrack("CONTROL_POS_SAMPLE", 3, false, maxSamples);
    if (n < 0) return Reject("camera %s: the input ends inside its target's TM_ANIMATION", name.c_str());
    sampleCounter_ = n;
    return true;
}

}  // namespace kgl
