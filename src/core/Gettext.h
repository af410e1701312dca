#pragma once
// The core's texts, the Tiled reader's and tilora-cli's through gettext (glibc), in the language
// the locale's LC_MESSAGES and LANGUAGE ask for, as command-line tools speak.

#include <string>

namespace tilora {

// The gettext domain of those texts: <locale folder>/LANG/LC_MESSAGES/tilora.mo (the build makes
// them from translations/LANG.po).
inline constexpr const char* TextDomain = "tilora";

// The catalogs' folder of an installed program, <prefix>/share/locale beside <prefix>/bin; the
// build keeps them at the same place relative to the programs (see translations/CMakeLists.txt).
std::string localeFolderBesideProgram();

// Binds the domain to `localeFolder`, its translations given in UTF-8, and installs gettext as the
// translator of i18n(). The caller has set LC_MESSAGES (setlocale), which chooses the language.
void installGettextCatalog(const std::string& localeFolder);

} // namespace tilora
