// The action names, built once from the director's tables on first use.
#include "engine/kgl_action_names.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "engine/kgl_show_tables.h"

namespace kgl {

namespace {

constexpr int kNameSize = 32;
constexpr int kFirstCamera = 42;
constexpr int kFirstOverlayCamera = 87;

struct NameTable {
    char names[kLastAction + 1][kNameSize] = {};
    NameTable();
};

// "R3_HARM_PRG" -> "harm".
void programWord(const char* program, char* out, size_t size) {
    const char* p = std::strncmp(program, "R3_", 3) == 0 ? program + 3 : program;
    size_t n = 0;
    while (p[n] && std::strncmp(p + n, "_PRG", 4) != 0 && n + 1 < size) {
        out[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(p[n])));
        ++n;
    }
    out[n] = '\0';
}

const char* fixedName(int action) {
    switch (action) {
        case 27:
            return "dark dst up";
        case 28:
            return "dark dst down";
        case 29:
            return "dark src up";
        case 30:
            return "dark src down";
        case 31:
            return "image dst up";
        case 32:
            return "image dst down";
        case 33:
            return "image src up";
        case 34:
            return "image src down";
        case 35:
            return "no effect";
        case 36:
            return "play backwards";
        case 37:
            return "play forwards";
        case 38:
            return "rewind 8 frames";
        case 39:
            return "advance 8 frames";
        case 40:
            return "frame step 4";
        case 41:
            return "frame step 1";
        case 50:
            return "dark alpha up";
        case 51:
            return "dark alpha down";
        case 52:
            return "image alpha up";
        case 53:
            return "image alpha down";
        case 54:
            return "blur preset";
        case 55:
            return "blur drift preset";
        case 56:
            return "blur trail preset";
        case 57:
            return "wave grid 0";
        case 58:
            return "wave grid 1";
        case 59:
            return "pulse";
        default:
            return "unused";
    }
}

void animationName(int action, char* out) {
    char clock[kNameSize] = "", particles[kNameSize] = "";
    for (const show::ClockAction& c : show::kGamutClocks) {
        if (c.action == action) std::snprintf(clock, sizeof clock, "clock %g-%g", c.first, c.last);
    }
    for (const show::ParticleStart& s : show::kParticleStarts) {
        if (s.action != action) continue;
        if (s.systems[1] >= 0) {
            std::snprintf(particles, sizeof particles, "particles %d+%d", s.systems[0], s.systems[1]);
        } else {
            std::snprintf(particles, sizeof particles, "particles %d", s.systems[0]);
        }
    }
    std::snprintf(out, kNameSize, "%.14s%s%.14s", clock, clock[0] && particles[0] ? " / " : "", particles);
}

void vertexName(int action, char* out) {
    for (const show::MorphAction& m : show::kMorphActions) {
        if (m.action == action) {
            std::snprintf(out, kNameSize, "morph %s v%d", m.target, m.referenceVertex);
            return;
        }
    }
    for (const show::ProgramAction& p : show::kProgramActions) {
        if (p.action == action) {
            char word[16];
            programWord(p.program, word, sizeof word);
            std::snprintf(out, kNameSize, "%s %s", word, p.object);
            return;
        }
    }
    for (const show::TrailAction& t : show::kTrailActions) {
        if (t.action == action) {
            std::snprintf(out, kNameSize, "trail %d", t.trail);
            return;
        }
    }
    std::snprintf(out, kNameSize, "unused");
}

NameTable::NameTable() {
    for (int a = kFirstAction; a <= kLastAction; ++a) {
        char* out = names[a];
        switch (ActionKindOf(a)) {
            case ActionKind::kSceneSwitch:
                for (const show::SceneSwitch& s : show::kSceneSwitches) {
                    if (s.action == a) std::snprintf(out, kNameSize, "scene %d", s.slot);
                }
                break;
            case ActionKind::kOverlayScene:
                std::snprintf(out, kNameSize, "overlay scene %d", a);
                break;
            case ActionKind::kOverlay:
                for (const show::OverlayAction& o : show::kOverlayActions) {
                    if (o.action != a) continue;
                    std::snprintf(out, kNameSize, "flash %d%s", kOverlayFlash[o.overlaySwitch],
                                  o.kind == show::OverlayKind::kToggle ? " toggle" : "");
                }
                break;
            case ActionKind::kPlayback:
                if (a >= kFirstCamera) {
                    std::snprintf(out, kNameSize, "camera %d", a - kFirstCamera);
                } else {
                    std::snprintf(out, kNameSize, "%s", fixedName(a));
                }
                break;
            case ActionKind::kSceneAnimation:
                animationName(a, out);
                break;
            case ActionKind::kVertexProgram:
                vertexName(a, out);
                break;
            case ActionKind::kOverlayCamera:
                std::snprintf(out, kNameSize, "overlay camera %d", a - kFirstOverlayCamera);
                break;
            case ActionKind::kComposition:
            case ActionKind::kBlur:
            case ActionKind::kUnused:
                std::snprintf(out, kNameSize, "%s", fixedName(a));
                break;
        }
        if (!out[0]) std::snprintf(out, kNameSize, "unused");
    }
}

}  // namespace

const char* ActionName(int action) {
    static const NameTable table;
    if (action < kFirstAction || action > kLastAction) return "unknown";
    return table.names[action];
}

}  // namespace kgl
