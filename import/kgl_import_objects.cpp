// Object converter: one record per GEOMOBJECT (name, track flags, pivot, counts, morph flag,
// then the mesh lists of kgl_import_mesh.cpp, the material reference, the sampled tracks and the
// per-frame vertex positions of a mesh animation).
#include <cstring>

#include "import/kgl_import.h"
#include "scene/kgl_scene3d.h"  // the loader's track capacities

namespace kgl {

namespace {

constexpr size_t kMaxMorphBytes = size_t(256) << 20;  // bound for the per-frame vertex data

struct TrackKind {
    const char* track;
    const char* sample;
    int values;
    bool timeAfterEnd;
};

// Position (x, y, z), rotation (axis x, y, z, angle), scale (x, y, z; its axis is not read).
constexpr TrackKind kObjectTracks[3] = {
    {"CONTROL_POS_TRACK {", "CONTROL_POS_SAMPLE", 3, false},
    {"CONTROL_ROT_TRACK {", "CONTROL_ROT_SAMPLE", 4, true},
    {"CONTROL_SCALE_TRACK {", "CONTROL_SCALE_SAMPLE", 3, true},
};

}  // namespace

bool AseImporter::ConvertObjects() {
    for (;;) {
        if (SkipTo("GEOMOBJECT") != 1) return true;
        if (counts_.objects == 0xFFFF) return Reject("more than 65535 objects");
        ++counts_.objects;
        if (!ConvertObject()) return false;
    }
}

bool AseImporter::ConvertObject() {
    const std::string name = ReadNodeName();
    if (hitEnd()) return Reject("the input ends inside GEOMOBJECT %d before its NODE_NAME", counts_.objects);
    Log("\n\n* Processing Object: %s", name.c_str());
    WriteName(name);
    zeroTexVerts_ = false;

    uint16_t flags[3];
    ScanTrackFlags(flags);
    for (uint16_t f : flags) out_.u16(f);
    if (!WriteVectorAfter("TM_POS"))
        return Reject("object %s: the input ends before its TM_POS", name.c_str());

    int counts[2] = {0, 0};
    static const char* const kCountTokens[2] = {"MESH_NUMVERTEX", "MESH_NUMFACES"};
    for (int i = 0; i < 2; ++i) {
        if (SkipTo(kCountTokens[i]) != 1) return Reject("object %s: no %s", name.c_str(), kCountTokens[i]);
        Skip(1);
        counts[i] = ReadInt();
        if (hitEnd()) return Reject("object %s: the input ends inside %s", name.c_str(), kCountTokens[i]);
        if (counts[i] < 0 || counts[i] > kMaxMeshVertices || static_cast<size_t>(counts[i]) > text_.size())
            return Reject("object %s: %s %d is out of range", name.c_str(), kCountTokens[i], counts[i]);
        out_.u16(static_cast<uint16_t>(counts[i]));
    }
    const int v = counts[0];
    faceVertexLimit_ = v;
    const int f = counts[1];
    const bool morph = ProbeMeshAnimation(v, f);
    out_.u16(morph ? 1 : 0);

    if (!WriteVertices(v) || !WriteFaces(f) || !WriteTextureVertices(name) || !WriteTextureFaces(f)) {
        if (status_ == ImportStatus::Rejected) message_ = "object " + name + ": " + message_;
        return false;
    }
    WriteFaceNormals(f);
    WriteVertexNormals(v, f);

    const size_t p = text_.tell();
    WriteMaterialRef(name);
    Log("\nWarning exporting sample keys...if not marked all the same\nas last Time in 3dsMAX, I will crash");
    if (flags[0] || flags[1] || flags[2]) {
        text_.seek(p);
        if (!WriteObjectTracks(flags))
            return Reject("object %s: the input ends inside its TM_ANIMATION", name.c_str());
    }
    if (morph) {
        Log("\nExporting MESH_ANIMATION KEYS");
        text_.seek(p);
        if (!WriteMeshAnimation(name, v)) return false;
    }
    text_.seek(p);
    return true;
}

// Reads forward to this object's MATERIAL_REF (or the next GEOMOBJECT, or the end) noting which
// sampled tracks occur; each token has its own running comparison. The input returns afterwards.
void AseImporter::ScanTrackFlags(uint16_t flags[3]) {
    static const char* const kTracks[3] = {"CONTROL_POS_TRACK", "CONTROL_ROT_TRACK", "CONTROL_SCALE_TRACK"};
    const size_t from = text_.tell();
    const size_t ref = scan_->findHit(text_, from, text_.size(), "MATERIAL_REF");
    const size_t next = scan_->findHit(text_, from, text_.size(), "GEOMOBJECT");
    size_t stop = ref < next ? ref : next;
    if (stop == kAseNoHit) stop = text_.size();
    // A track token that completes before the stop token is on the way (they never complete on
    // the same character: their last characters differ).
    for (int k = 0; k < 3; ++k) flags[k] = scan_->findHit(text_, from, stop, kTracks[k]) != kAseNoHit;
}

// Looks for a MESH_ANIMATION block whose first frame has this mesh's vertex and face counts,
// anywhere after the mesh. The input returns to where the probe began.
bool AseImporter::ProbeMeshAnimation(int v, int f) {
    static const char kBlock[] = "*MESH_ANIMATION {";
    const size_t at = text_.tell();
    text_.get();
    bool found = false;
    while (SkipTo(kBlock) == 1) {
        SkipTo("MESH_NUMVERTEX");
        Skip(1);
        const int bv = ReadInt();
        SkipTo("MESH_NUMFACES");
        Skip(1);
        const int bf = ReadInt();
        if (hitEnd()) break;
        if (bv == v && bf == f) {
            found = true;
            break;
        }
    }
    text_.seek(at);
    return found;
}

bool AseImporter::WriteMaterialRef(const std::string& name) {
    const size_t p = text_.tell();
    if (SkipTo("MATERIAL_REF") == 1) {
        const int ref = ReadInt();
        out_.u16(static_cast<uint16_t>(ref));
        return true;
    }
    text_.seek(p);
    Log("\n****No MATERIAL_REF for %s: material 0", name.c_str());
    out_.u16(0);
    return false;
}

bool AseImporter::WriteObjectTracks(const uint16_t flags[3]) {
    if (SkipTo("TM_ANIMATION") != 1) return false;
    animationEnd_ = BlockEnd(text_.tell());
    for (int k = 0; k < 3; ++k) {
        if (!flags[k]) continue;
        sampleCounter_ = 0;
        const TrackKind& t = kObjectTracks[k];
        const int n =
            WriteTrackBlock(t.track, t.sample, t.values, t.timeAfterEnd, lastFrame_ + kObjectTrackExtra);
        if (n < 0) return false;
        sampleCounter_ = n;
    }
    return true;
}

// One frame of vertex positions per sample up to the sample at the end time. A reader takes
// exactly last frame + 1 frames, so a gap between samples repeats the previous frame, frames
// past the last are dropped and a short block repeats its last frame (all logged).
bool AseImporter::WriteMeshAnimation(const std::string& name, int v) {
    const size_t frames = static_cast<size_t>(lastFrame_) + 1;
    if (frames * static_cast<size_t>(v) * 12 > kMaxMorphBytes)
        return Reject("object %s: %zu frames of %d vertices are too many", name.c_str(), frames, v);
    if (SkipTo("*MESH_ANIMATION {") != 1) return Reject("object %s: no MESH_ANIMATION", name.c_str());
    const size_t blockEnd = repair_ ? BlockEnd(text_.tell() - 1) : text_.size();
    std::vector<float> frame(static_cast<size_t>(v) * 3, 0.0f);
    size_t written = 0;
    long previousTime = 0;
    int recoveries = 0;
    sampleCounter_ = 0;
    for (bool last = false; !last;) {
        if (SkipToWithin("*TIMEVALUE", blockEnd) != 1) {
            if (repair_ && written > 0) {
                Log("\n****Repair: the mesh animation of %s ends before the end time", name.c_str());
                ++repairs_.heldAnimations;
                break;
            }
            return Reject("object %s: the mesh animation ends before the end time %lld", name.c_str(),
                          static_cast<long long>(EndTime()));
        }
        const long t = ReadLong();
        last = t == EndTime();
        if (last) {
            if (sampleCounter_ < lastFrame_)
                Log("\a\a\n****Error Verify the keys of %s object to Time 0 to %d", name.c_str(), lastFrame_);
            Log("\n** OK! exported animation of %d Frames", sampleCounter_);
        }
        ++sampleCounter_;
        if (written > 0 && ticksPerFrame_ > 0 && t - previousTime > ticksPerFrame_) {
            Log("\a\a\n****Recovery error #%d of %s object Time %ld to %ld", ++recoveries, name.c_str(),
                previousTime, t);
            for (long gap = (t - previousTime) / ticksPerFrame_ - 1; gap > 0 && written < frames;
                 --gap, ++written)
                out_.raw(block_.data(), block_.size());  // the previous frame, still staged
        }
        previousTime = t;
        SkipTo("*MESH_VERTEX_LIST");
        for (int i = 0; i < v && !hitEnd(); ++i) {
            SkipTo("*MESH_VERTEX");
            ReadLong();
            for (int k = 0; k < 3; ++k) frame[3 * i + k] = ReadFloat();
        }
        if (hitEnd()) return Reject("object %s: the input ends inside the mesh animation", name.c_str());
        block_.clear();
        for (float x : frame) PutF32(x);
        if (written < frames) {
            out_.raw(block_.data(), block_.size());
            ++written;
        }
    }
    if (written < frames)
        Log("\n****%s: %zu missing frames repeat the last one", name.c_str(), frames - written);
    if (static_cast<size_t>(sampleCounter_) > frames)
        Log("\n****%s: %zu frames past the last frame dropped", name.c_str(), sampleCounter_ - frames);
    for (; written < frames; ++written) out_.raw(block_.data(), block_.size());
    block_.clear();
    return true;
}

}  // namespace kgl
