#include "cli/Cli.h"

#include <ostream>

namespace tilora::cli {

int run(int, char**, std::ostream&, std::ostream& err) {
    err << "usage: tilora-cli (info|render|export|import) ...\n";
    return 2;
}

}  // namespace tilora::cli
