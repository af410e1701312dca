// tilora-cli entry point: the core library and a few C libraries (zlib, expat, libpng), nothing
// of a window system, so a process starts in about a millisecond.

#include "cli/Cli.h"
#include "cli/SignalCleanup.h"
#include "core/Gettext.h"

#include <clocale>
#include <iostream>

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    // Messages in the locale's language; everything else (numbers, character classes) stays in
    // the C locale the program's formats are written for.
    std::setlocale(LC_MESSAGES, "");
    tilora::installGettextCatalog(tilora::localeFolderBesideProgram());
    tilora::cli::removeTemporaryFilesOnSignals();
    const int status = tilora::cli::run(argc, argv, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
