// Process entry: the two tool commands ("convert", "info"), else the show with its options.
#include <cstdio>
#include <cstring>

#include "app/kgl_cmdline.h"
#include "app/kgl_convert.h"
#include "app/kgl_info.h"
#include "app/kgl_show.h"
#include "app/kgl_view.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "convert") == 0) return kgl::runConvert(argc - 2, argv + 2);
    if (argc > 1 && std::strcmp(argv[1], "info") == 0) return kgl::runInfo(argc - 2, argv + 2);
    if (argc > 1 && std::strcmp(argv[1], "view") == 0) return kgl::runView(argc - 2, argv + 2);
    kgl::CommandLine options;
    char error[512] = {};
    switch (kgl::parseCommandLine(argc, argv, options, error, sizeof error)) {
        case kgl::ParseResult::Help:
            kgl::printUsage();
            return 0;
        case kgl::ParseResult::Version:
            std::printf("kgl %s\n", KGL_VERSION);
            return 0;
        case kgl::ParseResult::Error:
            std::fprintf(stderr, "%s\n", error);
            return 2;
        case kgl::ParseResult::Run:
            break;
    }
    kgl::resolveOutputPaths(options);
    return kgl::runShow(options);
}
