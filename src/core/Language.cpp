#include "Language.h"

#include <cstdlib>

namespace tilora {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// "ja_JP.UTF-8@mod" -> "ja_JP"
std::string withoutCodeset(std::string_view locale) {
    return std::string(locale.substr(0, locale.find_first_of(".@")));
}

} // namespace

LocaleEnvironment LocaleEnvironment::fromProcess() {
    return {variable("LANGUAGE"), variable("LC_ALL"), variable("LC_MESSAGES"), variable("LANG")};
}

std::vector<std::string> requestedLanguages(const LocaleEnvironment& env) {
    const std::string& locale = !env.lcAll.empty()        ? env.lcAll
                                : !env.lcMessages.empty() ? env.lcMessages
                                                          : env.lang;
    const std::string name = withoutCodeset(locale);
    if (name.empty() || name == "C" || name == "POSIX") return {};
    std::vector<std::string> languages;
    std::string_view list = env.language;
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string entry = withoutCodeset(list.substr(0, colon));
        if (!entry.empty()) languages.push_back(entry);
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    languages.push_back(name);
    return languages;
}

std::string editorLanguage(const LocaleEnvironment& env,
                           const std::function<bool(std::string_view language)>& hasCatalog) {
    const std::vector<std::string> languages = requestedLanguages(env);
    if (languages.empty()) return "ja";
    for (const std::string& language : languages) {
        const std::string base = language.substr(0, language.find('_'));
        if (base == "ja") return "ja";
        if (hasCatalog(language)) return language;
        if (base != language && hasCatalog(base)) return base;
    }
    return "en";
}

} // namespace tilora
