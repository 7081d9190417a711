// "kgl convert IN.ase OUT.k3d [--texdir DIR] [--pack]": the importer from the shell. Writes
// "debug.log" in the working directory. Exit 0 when the scene file was written, -1 on the
// importer's fatal stops, 1 with a message for bad arguments, unusable paths or rejected input.
#include "app/kgl_convert.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "import/kgl_import.h"

namespace kgl {

namespace {

int usage() {
    std::fprintf(stderr, "usage: kgl convert IN.ase OUT.k3d [--texdir DIR] [--pack]\n");
    return 1;
}

}  // namespace

int runConvert(int argc, char** argv) {
    std::string in, out, texdir;
    bool pack = false;
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--pack") == 0) {
            pack = true;
        } else if (std::strcmp(a, "--texdir") == 0) {
            if (i + 1 >= argc) return usage();
            texdir = argv[++i];
        } else if (a[0] == '-' && a[1] == '-') {
            return usage();
        } else if (in.empty()) {
            in = a;
        } else if (out.empty()) {
            out = a;
        } else {
            return usage();
        }
    }
    if (in.empty() || out.empty()) return usage();
    if (in.size() > kMaxImportPath || out.size() > kMaxImportPath || texdir.size() > kMaxImportPath) {
        std::fprintf(stderr, "kgl convert: paths are limited to %zu characters\n", kMaxImportPath);
        return 1;
    }
    AseImporter importer;
    importer.SetInputFile(in);
    importer.SetOutputFile(out);
    importer.SetTextureDir(texdir);
    importer.SetPackTextures(pack);
    importer.SetExitOnFatal(false);
    const int result = importer.Run();
    if (result == 0) {
        const SceneFileCounts& c = importer.counts();
        std::printf("%s: %u objects, %u materials, %u cameras, %u lights, %u shapes\n", out.c_str(), c.objects,
                    c.materials, c.cameras, c.lights, c.shapes);
        return 0;
    }
    std::fprintf(stderr, "kgl convert: %s: %s\n", in.c_str(), importer.message().c_str());
    return result;
}

}  // namespace kgl
