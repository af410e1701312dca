#pragma once
// Paths in messages. A path may be as long as the system allows (4096 bytes) and in any code; a
// message shows it as text and short enough to read, and to lay out at once.

#include <cstddef>
#include <string>
#include <string_view>

namespace tilora {

// Longest path shown whole, in characters.
inline constexpr std::size_t MaxShownPathChars = 120;

// The path as text (UTF-8 as it is, else decoded from code page 932, else with U+FFFD for each
// byte that is neither) and, when longer than MaxShownPathChars characters, its beginning and its
// end joined by "…", the end (where the file's name is) the larger part.
std::string pathForMessage(std::string_view bytes);

} // namespace tilora
