#include "service/working_text.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "service/text_encoding.h"

namespace {

// First occurrence of marker in text[0, size), or null. Markers begin with '<' or '/', which the
// answers are full of, and are searched for over short stretches many times a body: sixteen
// places at a time are tested for the marker's first and last bytes together, and only where
// both match is the whole marker compared.
const char* FindMarker(const char* text, size_t size, std::string_view marker) {
  const size_t length = marker.size();
  if (length == 0) return text;
  if (length > size) return nullptr;
  const size_t last = length - 1;
  const char* const end = text + size - last;  // the places where the marker fits
  const char* p = text;
#ifdef __SSE2__
  const __m128i first = _mm_set1_epi8(marker.front());
  const __m128i final = _mm_set1_epi8(marker.back());
  for (; end - p >= 16; p += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + last));
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
    for (; mask != 0; mask &= mask - 1) {
      const char* candidate = p + __builtin_ctz(mask);
      if (std::memcmp(candidate, marker.data(), length) == 0) return candidate;
    }
  }
#endif
  for (; p < end; ++p) {
    if (*p == marker.front() && std::memcmp(p, marker.data(), length) == 0) return p;
  }
  return nullptr;
}

}  // namespace

WorkingText::WorkingText(const std::string& body) : buffer_(Utf8ToAnsi(body.c_str())) {
  if (buffer_) text_ = buffer_.get();
}

int64_t WorkingText::Find(std::string_view marker) const {
  const std::string_view rest = text_.substr(static_cast<size_t>(start_));
  const char* found = FindMarker(rest.data(), rest.size(), marker);
  return found == nullptr ? -1 : found - rest.data();
}

std::string_view WorkingText::Substring(int64_t start, int64_t length) const {
  const auto size = static_cast<int64_t>(text_.size()) - start_;
  start = std::clamp<int64_t>(start, 0, size);
  length = std::clamp<int64_t>(length, 0, size - start);
  return text_.substr(static_cast<size_t>(start_ + start), static_cast<size_t>(length));
}
