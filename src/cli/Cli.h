#pragma once
// tilora-cli: the headless tool for asset pipelines (info, render, export, import).

#include <iosfwd>

namespace tilora::cli {

// Runs one command line; returns the exit status (0 ok, 1 error, 2 usage).
int run(int argc, char** argv, std::ostream& out, std::ostream& err);

} // namespace tilora::cli
