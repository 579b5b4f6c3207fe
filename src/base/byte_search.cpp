#include "base/byte_search.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// The first place of mask (bit i for place p + i) where the whole needle stands, or null.
const char* CheckCandidates(const char* p, uint32_t mask, std::string_view needle) {
  for (; mask != 0; mask &= mask - 1) {
    const char* candidate = p + __builtin_ctz(mask);
    if (std::memcmp(candidate, needle.data(), needle.size()) == 0) return candidate;
  }
  return nullptr;
}

#if defined(__x86_64__)
// Thirty-two places at a time, on processors with AVX2. Returns the needle's first place, or
// null with p moved to the first place not yet tested.
__attribute__((target("avx2"))) const char* FindAvx2(const char*& p, const char* end,
                                                     std::string_view needle) {
  const __m256i first = _mm256_set1_epi8(needle.front());
  const __m256i final = _mm256_set1_epi8(needle.back());
  for (; end - p >= 32; p += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + needle.size() - 1));
    const auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, final))));
    if (const char* found = CheckCandidates(p, mask, needle)) return found;
  }
  return nullptr;
}

// Sixteen places at a time with SSE2, which every x86-64 processor has; as FindAvx2.
const char* FindSse2(const char*& p, const char* end, std::string_view needle) {
  const __m128i first = _mm_set1_epi8(needle.front());
  const __m128i final = _mm_set1_epi8(needle.back());
  for (; end - p >= 16; p += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + needle.size() - 1));
    const auto mask = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
    if (const char* found = CheckCandidates(p, mask, needle)) return found;
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

}  // namespace

size_t FindBytes(std::string_view text, std::string_view needle) {
  const size_t length = needle.size();
  if (length == 0) return 0;
  if (length > text.size()) return std::string_view::npos;
  if (length == 1) {  // the C library's own search is faster for one byte (bench/readers_bench)
    const void* found = std::memchr(text.data(), needle.front(), text.size());
    return found == nullptr ? std::string_view::npos
                            : static_cast<size_t>(static_cast<const char*>(found) - text.data());
  }
  const char* const end = text.data() + text.size() - (length - 1);  // where the needle fits
  const char* p = text.data();
#if defined(__x86_64__)
  const char* found = HasAvx2() ? FindAvx2(p, end, needle) : nullptr;
  if (found == nullptr) found = FindSse2(p, end, needle);
  if (found != nullptr) return static_cast<size_t>(found - text.data());
#endif
  for (; p < end; ++p) {
    if (*p == needle.front() && std::memcmp(p, needle.data(), length) == 0) {
      return static_cast<size_t>(p - text.data());
    }
  }
  return std::string_view::npos;
}

size_t FindBytesPlain(std::string_view text, std::string_view needle) {
  for (size_t at = 0; at + needle.size() <= text.size(); ++at) {
    if (text.substr(at, needle.size()) == needle) return at;
  }
  return std::string_view::npos;
}
