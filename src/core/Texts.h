#pragma once
// The texts the core, the Tiled reader and tilora-cli show the user. They are written in English
// and marked with i18n() or I18N_NOOP(), which scripts/translations.sh finds to keep the catalogs
// in translations/ complete. Each program installs the translator of its catalog at start:
// tilora-cli gettext's, following the locale as command-line tools do; the editor its Japanese
// catalog under Japanese, C or POSIX locales, where it shows its texts as laid out. With no
// translator, or no entry for a text, the English is shown.

#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tilora {

// Marks an English text for the catalogs where it is kept to be shown later (a table of names);
// i18n() translates it when it is shown.
#define I18N_NOOP(english) english

// One argument of a message: a text as it is (translate parts with i18n first) or a number.
class TextArg {
  public:
    TextArg(std::string_view text) : text_(text) {}
    TextArg(const char* text) : text_(text) {}
    TextArg(const std::string& text) : text_(text) {}
    template <std::integral N>
    requires(!std::same_as<N, char> && !std::same_as<N, bool>) TextArg(N number)
        : text_(std::to_string(number)) {}
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// The English text in the user's language, with %1 ... %9 replaced by the arguments of those
// numbers (a translation puts them where its own word order wants them).
std::string i18n(const char* english, std::initializer_list<TextArg> args = {});

// The text with %1 ... %9 replaced by the arguments; a % followed by anything else stays.
std::string fillArguments(std::string_view text, std::initializer_list<TextArg> args);

// The %1 of a message made with i18n(english, {argument}), where %1 ends the text (the reason
// after a lead-in such as "Cannot read the file: %1"); the whole message when it was made
// otherwise.
std::string argumentOf(const std::string& message, const char* english);

// A program's translator: the translation of an English text, or the text itself when the
// catalog has none. Installed once at start, before any other thread runs; it may be called from
// any thread.
using Translator = std::string (*)(const char* english);
void installTranslator(Translator translator);

} // namespace tilora
