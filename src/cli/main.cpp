// tilora-cli entry point. No window is ever shown: Qt is used only to read and write images and
// XML, which needs no platform plugin.

#include "cli/Cli.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    // The formats used (BMP, PNG) are built into Qt; with no plugin paths Qt does not load every
    // image format plugin on the first image read.
    QCoreApplication::setLibraryPaths({});
    QCoreApplication app(argc, argv);
    std::ios::sync_with_stdio(false);
    const int status = tilora::cli::run(argc, argv, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
