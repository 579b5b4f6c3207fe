#include "service/working_text.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "service/text_encoding.h"

namespace {

// The marker search tests many places at once for the marker's first and last bytes together,
// and compares the whole marker only where both match. Markers begin with '<' or '/', which the
// answers are full of, and are searched for over short stretches many times a body.

// The first place of mask (bit i for place p + i) where the whole marker stands, or null.
const char* CheckCandidates(const char* p, uint32_t mask, std::string_view marker) {
  for (; mask != 0; mask &= mask - 1) {
    const char* candidate = p + __builtin_ctz(mask);
    if (std::memcmp(candidate, marker.data(), marker.size()) == 0) return candidate;
  }
  return nullptr;
}

#if defined(__x86_64__)
// Thirty-two places at a time, on processors with AVX2. Returns the marker's first place, or
// null with p moved to the first place not yet tested.
__attribute__((target("avx2"))) const char* FindMarkerAvx2(const char*& p, const char* end,
                                                           std::string_view marker) {
  const __m256i first = _mm256_set1_epi8(marker.front());
  const __m256i final = _mm256_set1_epi8(marker.back());
  for (; end - p >= 32; p += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + marker.size() - 1));
    const auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, final))));
    if (const char* found = CheckCandidates(p, mask, marker)) return found;
  }
  return nullptr;
}

// Sixteen places at a time with SSE2, which every x86-64 processor has; as FindMarkerAvx2.
const char* FindMarkerSse2(const char*& p, const char* end, std::string_view marker) {
  const __m128i first = _mm_set1_epi8(marker.front());
  const __m128i final = _mm_set1_epi8(marker.back());
  for (; end - p >= 16; p += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + marker.size() - 1));
    const auto mask = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
    if (const char* found = CheckCandidates(p, mask, marker)) return found;
  }
  return nullptr;
}

bool HasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}
#endif

// First occurrence of marker in text[0, size), or null.
const char* FindMarker(const char* text, size_t size, std::string_view marker) {
  const size_t length = marker.size();
  if (length == 0) return text;
  if (length > size) return nullptr;
  const char* const end = text + size - (length - 1);  // the places where the marker fits
  const char* p = text;
#if defined(__x86_64__)
  if (HasAvx2()) {
    if (const char* found = FindMarkerAvx2(p, end, marker)) return found;
  }
  if (const char* found = FindMarkerSse2(p, end, marker)) return found;
#endif
  for (; p < end; ++p) {
    if (*p == marker.front() && std::memcmp(p, marker.data(), length) == 0) return p;
  }
  return nullptr;
}

}  // namespace

WorkingText::WorkingText(std::string_view body)
    : buffer_(Utf8ToAnsi(body.substr(0, body.find('\0')))) {
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
