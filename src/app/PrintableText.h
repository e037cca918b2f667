#pragma once

// Texts from outside (command-line values, batch cells, file names) as they may appear inside
// a message on a terminal.

#include <cstddef>
#include <string>
#include <string_view>

namespace corvel {

/// Characters of an outside text shown in a message before it is cut.
inline constexpr std::size_t kMaxShownChars = 1000;

/// `text` safe to print: control characters (C0, DEL and C1) and bytes that are not UTF-8 are
/// shown as escapes ("\x1B", "\u009B"); after `maxChars` characters it is cut with "…".
std::string printableText(std::string_view text, std::size_t maxChars = kMaxShownChars);

} // namespace corvel
