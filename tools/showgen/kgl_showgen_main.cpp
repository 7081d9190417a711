// showgen OUTDIR: writes the default show into OUTDIR/escena (scene exports and scripts,
// textures, pictures, music, choreography and configuration). Same bytes on every run.
#include "common/kgl_log.h"
#include "kgl_showgen_actions.h"
#include "kgl_showgen_image.h"
#include "kgl_showgen_music.h"
#include "kgl_showgen_pictures.h"
#include "kgl_showgen_scenes.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <sys/stat.h>

namespace {

constexpr const char* kMusicName = "escena/lumen.mp3";

bool makeDir(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST; }

// The keys in the order the configuration reader searches them; the file name follows "MP3:"
// directly because the reader keeps every character after the colon.
std::string configText() {
    return std::string("KEYBOARD: 0\nRENDERACTIONS: 1\nLOADACTIONS: 1\nSAVEACTIONS: 0\nUSEMP3: 1\n") +
           "MP3STARTOFFSET: 0\nMP3STARTSECONDS: 0\nMP3:" + kMusicName + "\n";
}

bool checkCoverage(const std::vector<kgl::showgen::Cue>& cues) {
    std::set<int> used;
    for (const auto& c : cues) used.insert(c.action);
    bool ok = true;
    for (int a = 0; a <= 90; ++a) {
        bool expected = !kgl::showgen::isUnusedAction(a);
        if (expected != (used.count(a) == 1)) {
            kgl::logLine("SHOWGEN", "actions", "action %d %s", a, expected ? "missing" : "must not be used");
            ok = false;
        }
    }
    return ok;
}

bool writeMusicAndActions(const std::string& root) {
    std::vector<uint8_t> mp3 = kgl::showgen::makeMusicMp3();
    if (mp3.empty()) {
        kgl::logLine("SHOWGEN", "music", "encoder failed");
        return false;
    }
    std::vector<kgl::showgen::Cue> cues = kgl::showgen::choreography();
    bool ok = checkCoverage(cues);
    uint32_t length = static_cast<uint32_t>(kgl::showgen::kSongFrames) * 4;
    if (!cues.empty() && cues.back().position >= length) {
        kgl::logLine("SHOWGEN", "actions", "cue after the end of the music");
        ok = false;
    }
    return kgl::showgen::writeBytes(root + kMusicName, mp3) &&
           kgl::showgen::writeBytes(root + "escena/actions.bin", kgl::showgen::actionsFile(cues)) && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: showgen OUTDIR\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    std::string root = std::string(argv[1]) + "/";
    std::string escena = root + "escena/";
    if (!makeDir(root) || !makeDir(escena)) {
        kgl::logLine("SHOWGEN", escena.c_str(), "cannot create the folder");
        return 1;
    }
    auto elapsed = [&start]() {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    bool ok = kgl::showgen::writeText(escena + "Config.ini", configText());
    ok = kgl::showgen::writePictures(escena) && ok;
    double pictures = elapsed();
    ok = kgl::showgen::writeScenes(escena) && ok;
    double scenes = elapsed();
    ok = writeMusicAndActions(root) && ok;
    double total = elapsed();
    std::printf("showgen: %s %s in %.1f s (pictures %.1f s, scenes %.1f s, music %.1f s)\n", escena.c_str(),
                ok ? "written" : "FAILED", total, pictures, scenes - pictures, total - scenes);
    return ok ? 0 : 1;
}
