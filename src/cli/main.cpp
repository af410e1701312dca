#include "cli/Cli.h"

#include <QGuiApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    return tilora::cli::run(argc, argv, std::cout, std::cerr);
}
