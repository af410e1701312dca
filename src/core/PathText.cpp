#include "core/PathText.h"

#include "core/SheetLocator.h"

namespace tilora {

namespace {

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

} // namespace

std::string pathForMessage(std::string_view bytes) {
    const std::string text = displayPathText(bytes);
    // Characters counted by where they start; the text is valid UTF-8.
    std::size_t chars = 0;
    for (const char c : text)
        chars += startsCharacter(c) ? 1 : 0;
    if (chars <= MaxShownPathChars) return text;

    constexpr std::size_t Head = MaxShownPathChars / 3;
    constexpr std::size_t Tail = MaxShownPathChars - Head - 1;
    // The head ends where its (Head + 1)th character starts; the tail begins at its first one.
    std::size_t headEnd = 0;
    for (std::size_t seen = 0; headEnd < text.size(); ++headEnd)
        if (startsCharacter(text[headEnd]) && seen++ == Head) break;
    std::size_t tailBegin = text.size();
    for (std::size_t seen = 0; seen < Tail;)
        if (startsCharacter(text[--tailBegin])) ++seen;
    return text.substr(0, headEnd) + "…" + text.substr(tailBegin);
}

} // namespace tilora
