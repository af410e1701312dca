#include "Gettext.h"

#include "Texts.h"

#include <libintl.h>
#include <unistd.h>

#include <climits>
#include <string_view>

namespace tilora {

namespace {

std::string translateWithGettext(const char* english) {
    return dgettext(TextDomain, english);
}

} // namespace

std::string localeFolderBesideProgram() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
    if (n <= 0 || std::size_t(n) >= sizeof path) return {};
    const std::string_view program(path, std::size_t(n));
    const std::size_t slash = program.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(program.substr(0, slash)) + "/../share/locale";
}

void installGettextCatalog(const std::string& localeFolder) {
    if (!localeFolder.empty()) bindtextdomain(TextDomain, localeFolder.c_str());
    // The program's texts, paths and files are UTF-8 whatever the locale's character type.
    bind_textdomain_codeset(TextDomain, "UTF-8");
    installTranslator(&translateWithGettext);
}

} // namespace tilora
