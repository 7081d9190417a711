// Test helpers for the ASE importer: the literal character-by-character token search (the
// reference the fast one must match), and a conversion in a scratch directory whose scene file
// is read back by the scene loader.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/kgl_bytes.h"
#include "import/kgl_import.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scenefile.h"
#include "tests/unit/kgl_test_files.h"

namespace kgl_test {

// The running comparison exactly as described: one character at a time, the counter drops to 0
// on a mismatch and that character is not compared again.
inline size_t literalFindHit(const kgl::AseText& text, size_t from, size_t limit, const char* token) {
    const size_t len = std::strlen(token);
    size_t matched = 0;
    for (size_t i = from; i < limit; ++i) {
        matched = text.data()[i] == token[matched] ? matched + 1 : 0;
        if (matched == len) return i + 1;
    }
    return kgl::kAseNoHit;
}

inline int literalSkipToInBlock(kgl::AseText& text, const char* token) {
    const size_t len = std::strlen(token);
    size_t matched = 0;
    for (;;) {
        const int c = text.get();
        if (c == kgl::kAseEnd) return 0;
        if (c == '}') {
            text.get();
            return 2;
        }
        matched = c == static_cast<unsigned char>(token[matched]) ? matched + 1 : 0;
        if (matched == len) return 1;
    }
}

inline const kgl::AseScanOps& literalScan() {
    static const kgl::AseScanOps ops{literalFindHit, literalSkipToInBlock};
    return ops;
}

// A fresh temporary directory, with its trailing slash.
inline std::string scratchDir() {
    return MakeTempDir("kgl_import_") + "/";
}

// Reads a converted file back with the scene loader itself (no images decoded, no logs).
// `whole` when it loads and the loader needs every byte of it: the file cut by one byte no
// longer loads (a file of just the 69-character header text only pads it). The loader's own
// stderr line about the cut file is kept out of the test's output.
inline std::unique_ptr<kgl::Scene3D> loadConverted(const std::vector<uint8_t>& bytes, bool packed,
                                                   bool& whole) {
    kgl::SceneLoadOptions options;
    options.decodeTextures = packed;
    options.writeLogs = false;
    auto scene = std::make_unique<kgl::Scene3D>();
    scene->SetTexturePath("", packed);
    whole = scene->LoadFromBytes(bytes, "converted", options);
    if (whole && bytes.size() > kgl::kSceneHeaderTextLength) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 1);
        auto shorter = std::make_unique<kgl::Scene3D>();
        shorter->SetTexturePath("", packed);
        std::fflush(stderr);
        const int saved = dup(2);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        whole = !shorter->LoadFromBytes(cut, "converted", options);
        dup2(saved, 2);
        close(null);
        close(saved);
    }
    return scene;
}

// Converts `ase` (text) in a fresh scratch directory; returns Run's result and fills the outputs.
struct Conversion {
    int result = 0;
    kgl::ImportStatus status = kgl::ImportStatus::NothingToDo;
    std::string message, log, dir;
    std::vector<uint8_t> bytes;
    std::unique_ptr<kgl::Scene3D> scene;  // the file as the scene loader reads it
    bool whole = false;                   // see loadConverted
};

inline Conversion convertText(const std::string& ase, bool literal = false, bool pack = false,
                              const std::string& texdir = std::string(),
                              const std::string& dir = std::string()) {
    Conversion c;
    c.dir = dir.empty() ? scratchDir() : dir;
    std::remove((c.dir + "out.k3d").c_str());
    std::remove((c.dir + "debug.log").c_str());
    WriteText(c.dir + "in.ase", ase);
    kgl::AseImporter imp;
    imp.SetInputFile(c.dir + "in.ase");
    imp.SetOutputFile(c.dir + "out.k3d");
    imp.SetLogFile(c.dir + "debug.log");
    imp.SetTextureDir(texdir);
    imp.SetPackTextures(pack);
    imp.SetExitOnFatal(false);
    if (literal) imp.SetScanOps(literalScan());
    c.result = imp.Run();
    c.status = imp.status();
    c.message = imp.message();
    c.log = ReadText(c.dir + "debug.log");
    kgl::readFile(c.dir + "out.k3d", c.bytes);
    if (c.result == 0) c.scene = loadConverted(c.bytes, pack, c.whole);
    if (dir.empty()) std::filesystem::remove_all(c.dir);  // everything needed has been read
    return c;
}

}  // namespace kgl_test
