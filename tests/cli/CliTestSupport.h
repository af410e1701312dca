#pragma once
// Helpers for the tilora-cli tests: a scratch folder, generated sheets and maps, and running the
// command line either in this process (cli::run) or as the real binary.

#include "core/Bitmap.h"
#include "core/MapFile.h"

#include <QString>
#include <QTemporaryDir>

#include <string>
#include <utility>
#include <vector>

namespace tilora::cli::test {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// cli::run with the arguments after the program name.
CliResult runCli(const std::vector<std::string>& args);

// The built tilora-cli as a separate process, with these environment variables changed (an empty
// value removes the variable).
using EnvironmentChanges = std::vector<std::pair<std::string, std::string>>;
CliResult runBinary(const std::vector<std::string>& args, const EnvironmentChanges& env = {});

// One of Tiled's programs ("tiled", "tmxrasterizer") under the offscreen platform. A missing
// program fails the test: scripts/deps.sh installs Tiled for the tests.
CliResult runTiledProgram(const std::string& program, const std::vector<std::string>& args);

// A sheet of the given size whose every pixel differs from its neighbours, so a chip drawn from
// the wrong square or shrunk the wrong way shows.
Bitmap patternSheet(int width, int height, unsigned seed = 7);

class Scratch {
  public:
    Scratch();
    std::string path(const std::string& name) const; // inside the scratch folder
    bool exists(const std::string& name) const;
    std::string read(const std::string& name) const;
    void write(const std::string& name, const std::string& bytes) const;
    // Saves the sheet as a 24-bit BMP.
    void writeSheet(const std::string& name, const Bitmap& sheet) const;
    void writeMap(const std::string& name, const MapContents& map) const;
    MapContents readMap(const std::string& name) const;

  private:
    QTemporaryDir dir_;
};

// A width x height map naming `sheetPath`, with cells from `chips` repeated row-major.
MapContents makeMap(const std::string& sheetPath, int width, int height,
                    const std::vector<std::int32_t>& chips);

// Whether the first line of err says something containing `text`, and it is the only line.
bool oneLineContaining(const std::string& err, const std::string& text);

} // namespace tilora::cli::test
