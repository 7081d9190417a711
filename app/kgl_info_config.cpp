// kgl info for configuration files (*.ini) and action tracks (*.bin made of whole mark records).
#include <cctype>
#include <cstring>
#include <vector>

#include "app/kgl_info.h"
#include "common/kgl_bytes.h"
#include "engine/kgl_action_names.h"
#include "script/kgl_config.h"
#include "sync/kgl_events.h"

namespace kgl {

namespace {

bool hasExtension(const char* path, const char* ext) {
    const size_t n = std::strlen(path);
    const size_t e = std::strlen(ext);
    if (n < e) return false;
    for (size_t i = 0; i < e; ++i) {
        if (std::tolower(static_cast<unsigned char>(path[n - e + i])) != ext[i]) return false;
    }
    return true;
}

struct MarkSummary {
    uint32_t position;
    int32_t action;
    bool spectrum;
};

// The whole file must split into records of 9 bytes (no spectrum) or 2057 bytes (spectrum).
bool parseMarks(const std::vector<uint8_t>& bytes, std::vector<MarkSummary>& marks) {
    ByteReader r(bytes);
    while (r.remaining() > 0) {
        MarkSummary m{};
        uint8_t flag = 0;
        if (!r.u32(m.position) || !r.i32(m.action) || !r.u8(flag)) return false;
        m.spectrum = flag != 0;
        if (m.spectrum && !r.skip(EventTrack::kSpectrumBytes)) return false;
        marks.push_back(m);
    }
    return true;
}

}  // namespace

int infoConfig(const char* path, FILE* out) {
    if (!hasExtension(path, ".ini")) return kNotMyKind;
    ConfigValues v;
    if (!ReadConfig(path, v)) {
        std::fprintf(stderr, "kgl info: cannot read '%s'\n", path);
        return 1;
    }
    std::fprintf(out, "keyboard %u\n", v.keyboard);
    std::fprintf(out, "renderActions %u\n", v.renderActions);
    std::fprintf(out, "loadActions %u\n", v.loadActions);
    std::fprintf(out, "saveActions %u\n", v.saveActions);
    std::fprintf(out, "useMp3 %u\n", v.useMp3);
    std::fprintf(out, "mp3StartOffset %u\n", v.mp3StartOffset);
    std::fprintf(out, "mp3StartSeconds %g\n", static_cast<double>(v.mp3StartSeconds));
    std::fprintf(out, "mp3FileName \"%s\"\n", v.mp3FileName);
    return 0;
}

int infoActions(const char* path, FILE* out) {
    if (!hasExtension(path, ".bin")) return kNotMyKind;
    std::vector<uint8_t> bytes;
    std::vector<MarkSummary> marks;
    if (!readFile(path, bytes) || !parseMarks(bytes, marks)) return kNotMyKind;
    std::fprintf(out, "marks %zu\n", marks.size());
    for (const MarkSummary& m : marks) {
        std::fprintf(out, "%u %d%s  # %s\n", m.position, m.action, m.spectrum ? " spectrum" : "",
                     ActionName(m.action));
    }
    return 0;
}

}  // namespace kgl
