// The reference reader as a whole process: reads one ASE file with assimp and exits (0 when it
// read a scene). bench/convert_process.sh times it against whole-process kgl convert runs.
#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kgl_bench_assimp_read FILE.ase\n");
        return 2;
    }
    const aiScene* scene = aiImportFile(argv[1], aiProcess_Triangulate);
    if (!scene) return 1;
    aiReleaseImport(scene);
    return 0;
}
