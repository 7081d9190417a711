// Import benchmark: converts every ASE file of a folder with AseImporter and reads the same file
// with assimp (ReadFile, no post-processing) in the same run, and prints the best of several
// timings of each and their ratio (ours / assimp; 1.0 or less means no slower than assimp).
// Usage: kgl_bench_import [ASE_DIR] [REPEATS]. Writes its scene files and logs into a temp dir.
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "import/kgl_import.h"

namespace fs = std::filesystem;

namespace {

template <typename F>
double bestMs(int repeats, F&& run) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        run();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "../shared/testdata/ase";
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    if (!fs::is_directory(dir)) {
        std::fprintf(stderr, "bench: no folder %s\n", dir.c_str());
        return 1;
    }
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::string ext = e.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".ase") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    const fs::path out = fs::temp_directory_path() / "kgl_bench_import";
    fs::create_directories(out);

    std::printf("%-66s %9s %8s %10s %10s %7s\n", "file", "bytes", "kgl", "kgl ms", "assimp ms", "ratio");
    for (const fs::path& f : files) {
        kgl::AseImporter importer;
        importer.SetInputFile(f.string());
        importer.SetOutputFile((out / "bench.k3d").string());
        importer.SetLogFile((out / "debug.log").string());
        importer.SetPackTextures(false);
        importer.SetExitOnFatal(false);
        int result = 0;
        const double ours = bestMs(repeats, [&] { result = importer.Run(); });
        bool assimpOk = false;
        const double theirs = bestMs(repeats, [&] {
            Assimp::Importer reader;
            assimpOk = reader.ReadFile(f.string(), 0) != nullptr;
        });
        const char* state = result == 0 ? "ok" : result < 0 ? "fatal" : "reject";
        if (assimpOk)
            std::printf("%-66s %9ju %8s %10.3f %10.3f %7.2f\n", f.filename().c_str(),
                        static_cast<uintmax_t>(fs::file_size(f)), state, ours, theirs, ours / theirs);
        else
            std::printf("%-66s %9ju %8s %10.3f %10s %7s\n", f.filename().c_str(),
                        static_cast<uintmax_t>(fs::file_size(f)), state, ours, "fails", "-");
    }
    return 0;
}
