#pragma once
// The editor's command line, `tilora [MAP]`, decided before anything needs a window or a display:
// --help and --version answer at once, and a mistake is told on stderr with exit status 2, so a
// script (or a user without a display) gets a word and a status instead of a silent start or an
// abort.

#include <string>

namespace tilora {

struct CommandLine {
    enum class Action {
        Run,     // start the editor, opening `map` when it is not empty
        Help,    // print the usage and end
        Version, // print the version and end
        Refuse,  // print `message` on stderr and end with status 2
    };
    Action action = Action::Run;
    std::string map;     // as given, to be taken from the working folder
    std::string message; // for Refuse: what is wrong and where to look, one line or two
};

// Reads argv left to right. Besides --help (-h), --version and one MAP, the options Qt takes for
// every application (-platform NAME, -style NAME, -display NAME, -reverse, ...) are let through
// for Qt to handle; any other argument starting with '-' is an unknown option (so is -v, which is
// not documented), a second MAP is one too many, and a MAP whose name has no ".map" (in any
// letter case, as the open dialog requires) is refused.
CommandLine parseCommandLine(int argc, const char* const argv[]);

} // namespace tilora
