// Process entry: every command goes through the one command line.
#include "app/kgl_cmdline.h"

int main(int argc, char** argv) {
    return kgl::runCommandLine(argc, argv);
}
