#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A text from outside (a server's words, its answer) as a terminal, a log or a box may show it:
// one line that nothing in it can end, rewrite, colour or reorder. Every C0 control but TAB,
// DEL, every C1 control, U+2028, U+2029 and the bidi controls (U+061C, U+200E, U+200F,
// U+202A-202E, U+2066-2069) become visible escapes: "\x1b" for a control below 0x80, "\u202e"
// for a character above; a byte that begins no well-formed UTF-8 character becomes "\xff".
// Stops before the first character or escape that would take it past maxBytes.
std::string VisibleText(std::string_view text, size_t maxBytes = std::string_view::npos);
