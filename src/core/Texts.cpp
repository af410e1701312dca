#include "Texts.h"

#include <atomic>

namespace tilora {

namespace {

std::atomic<Translator> installed{nullptr};

std::string translated(const char* english) {
    const Translator translator = installed.load();
    return translator ? translator(english) : std::string(english);
}

} // namespace

void installTranslator(Translator translator) {
    installed.store(translator);
}

std::string fillArguments(std::string_view text, std::initializer_list<TextArg> args) {
    std::string out;
    out.reserve(text.size() + 16 * args.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 1 < text.size()) {
            const std::size_t n = std::size_t(text[i + 1] - '0');
            if (n >= 1 && n <= 9 && n <= args.size()) {
                out += std::data(args)[n - 1].text();
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string i18n(const char* english, std::initializer_list<TextArg> args) {
    std::string text = translated(english);
    return args.size() == 0 ? text : fillArguments(text, args);
}

std::string argumentOf(const std::string& message, const char* english) {
    const std::string pattern = translated(english);
    const std::size_t at = pattern.find("%1");
    if (at == std::string::npos) return message;
    const std::string_view lead = std::string_view(pattern).substr(0, at);
    const std::string_view trail = std::string_view(pattern).substr(at + 2);
    if (message.size() < lead.size() + trail.size() || !message.starts_with(lead) ||
        !message.ends_with(trail))
        return message;
    return message.substr(lead.size(), message.size() - lead.size() - trail.size());
}

} // namespace tilora
