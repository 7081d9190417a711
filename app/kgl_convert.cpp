// The importer from the shell (see kgl_convert.h): checks the paths, runs the import, prints the
// counts of what was written.
#include "app/kgl_convert.h"

#include <cstdio>
#include <string>

#include "import/kgl_import.h"

namespace kgl {

int runConvert(const ConvertOptions& options) {
    const std::string& in = options.input;
    const std::string& out = options.output;
    const std::string& texdir = options.texDir;
    if (in.size() > kMaxImportPath || out.size() > kMaxImportPath || texdir.size() > kMaxImportPath) {
        std::fprintf(stderr, "kgl convert: paths are limited to %zu characters\n", kMaxImportPath);
        return 1;
    }
    AseImporter importer;
    importer.SetInputFile(in);
    importer.SetOutputFile(out);
    importer.SetTextureDir(texdir);
    importer.SetPackTextures(options.packed);
    importer.SetExitOnFatal(false);
    importer.SetRepair(options.repair);
    const int result = importer.Run();
    const AseImporter::Repairs& r = importer.repairs();
    if (r.total() > 0)
        std::fprintf(
            stderr,
            "IMPORT: [%s] repaired: %d objects without texture vertices, %d material values defaulted, "
            "%d animations held at their last key (see debug.log)\n",
            in.c_str(), r.texVerts, r.materialValues, r.heldAnimations);
    if (result == 0) {
        const SceneFileCounts& c = importer.counts();
        std::printf("%s: %u objects, %u materials, %u cameras, %u lights, %u shapes\n", out.c_str(),
                    c.objects, c.materials, c.cameras, c.lights, c.shapes);
        return 0;
    }
    std::fprintf(stderr, "kgl convert: %s: %s\n", in.c_str(), importer.message().c_str());
    return result;
}

}  // namespace kgl
