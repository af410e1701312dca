#pragma once
// Which language a program speaks, read from the environment as gettext reads it, so the editor
// and tilora-cli agree on what the user asked for.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tilora {

// The locale variables, as the process has them (a missing variable is empty).
struct LocaleEnvironment {
    std::string language;   // LANGUAGE: a list of languages, best first, separated by ':'
    std::string lcAll;      // LC_ALL
    std::string lcMessages; // LC_MESSAGES
    std::string lang;       // LANG

    static LocaleEnvironment fromProcess();
};

// The languages asked for, best first: none under the C or POSIX locale (LC_ALL, else LC_MESSAGES,
// else LANG; none set is C), where LANGUAGE is ignored; otherwise LANGUAGE's entries and then the
// locale's own language. Each entry without its codeset or modifier ("pt_BR", "ja").
std::vector<std::string> requestedLanguages(const LocaleEnvironment& env);

// The language the editor shows: "ja", its texts as laid out, under the C or POSIX locale and when
// Japanese comes first; else the first language asked for that has a catalog (tried as "pt_BR",
// then "pt"); else "en".
std::string editorLanguage(const LocaleEnvironment& env,
                           const std::function<bool(std::string_view language)>& hasCatalog);

} // namespace tilora
