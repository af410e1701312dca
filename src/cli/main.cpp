// tilora-cli entry point: the core library and a few C libraries (zlib, expat, libpng), nothing
// of a window system, so a process starts in about a millisecond.

#include "cli/Cli.h"
#include "cli/SignalCleanup.h"

#include <iostream>

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    tilora::cli::removeTemporaryFilesOnSignals();
    const int status = tilora::cli::run(argc, argv, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
