// showgen OUTDIR: writes the default show into OUTDIR/escena (scene exports and scripts,
// textures, pictures, music, choreography and configuration). Same bytes on every run.
// showgen OUTDIR --from SECONDS: a preview that starts the music shortly before SECONDS and
// replays the earlier cues quickly, for watching one stretch of the show without the rest.
// showgen --dark-moments: prints the planned dark moments, one "from to" line in seconds each.

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "common/kgl_log.h"
#include "kgl_showgen_actions.h"
#include "kgl_showgen_image.h"
#include "kgl_showgen_music.h"
#include "kgl_showgen_pictures.h"
#include "kgl_showgen_scenes.h"

namespace {

constexpr const char* kMusicName = "escena/lumen.mp3";

bool makeDir(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

// The keys in the order the configuration reader searches them; the file name follows "MP3:"
// directly because the reader keeps every character after the colon.
std::string configText(int startSeconds) {
    return std::string("KEYBOARD: 0\nRENDERACTIONS: 1\nLOADACTIONS: 1\nSAVEACTIONS: 0\nUSEMP3: 1\n") +
           "MP3STARTOFFSET: 0\nMP3STARTSECONDS: " + std::to_string(startSeconds) + "\nMP3:" + kMusicName +
           "\n";
}

bool checkCoverage(const std::vector<kgl::showgen::Cue>& cues) {
    std::set<int> used;
    for (const auto& c : cues) used.insert(c.action);
    bool ok = true;
    for (const auto& c : cues) {  // black flashes belong to the planned dark moments
        if (c.action != 64 && c.action != 65) continue;
        bool planned = false;
        for (const kgl::showgen::DarkMoment& d : kgl::showgen::plannedDarkMoments())
            planned = planned || (c.seconds >= d.from && c.seconds < d.to);
        if (!planned) {
            std::fprintf(stderr,
                         "SHOWGEN: [actions] black flash at %.2f s outside the planned dark moments\n",
                         c.seconds);
            ok = false;
        }
    }
    for (int a = 0; a <= 90; ++a) {
        bool expected = !kgl::showgen::isUnusedAction(a);
        if (expected != (used.count(a) == 1)) {
            kgl::logLine("SHOWGEN", "actions", "action %d %s", a, expected ? "missing" : "must not be used");
            ok = false;
        }
    }
    return ok;
}

bool writeMusicAndActions(const std::string& root, double previewSeconds) {
    std::vector<uint8_t> mp3 = kgl::showgen::makeMusicMp3();
    if (mp3.empty()) {
        kgl::logLine("SHOWGEN", "music", "encoder failed");
        return false;
    }
    std::vector<kgl::showgen::Cue> cues = kgl::showgen::choreography();
    bool ok = checkCoverage(cues);
    int startSeconds = 0;
    if (previewSeconds > 0) {
        kgl::showgen::Preview p = kgl::showgen::previewFrom(cues, previewSeconds);
        cues = p.cues;
        startSeconds = p.startSeconds;
    }
    ok = kgl::showgen::writeText(root + "escena/Config.ini", configText(startSeconds)) && ok;
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
    if (argc == 2 && std::string(argv[1]) == "--dark-moments") {
        for (const kgl::showgen::DarkMoment& d : kgl::showgen::plannedDarkMoments())
            std::printf("%.1f %.1f\n", d.from, d.to);
        return 0;
    }
    double preview = 0;
    if (argc == 4 && std::string(argv[2]) == "--from") preview = std::atof(argv[3]);
    if ((argc != 2 && argc != 4) ||
        (argc == 4 && !(preview > 0 && preview < static_cast<double>(kgl::showgen::kSongFrames) /
                                                     kgl::showgen::kSampleRate))) {
        std::fprintf(stderr, "usage: showgen OUTDIR [--from SECONDS] | showgen --dark-moments\n");
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
    bool ok = kgl::showgen::writePictures(escena);
    double pictures = elapsed();
    ok = kgl::showgen::writeScenes(escena) && ok;
    double scenes = elapsed();
    ok = writeMusicAndActions(root, preview) && ok;
    double total = elapsed();
    std::printf("showgen: %s %s in %.1f s (pictures %.1f s, scenes %.1f s, music %.1f s)\n", escena.c_str(),
                ok ? "written" : "FAILED", total, pictures, scenes - pictures, total - scenes);
    return ok ? 0 : 1;
}
