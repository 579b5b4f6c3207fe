#pragma once

#include <optional>
#include <string>

// The keyword as the IchibaItem/Search service takes it: UTF-8 words parted by one half-width
// space. The service refuses a whole request for one word that breaks its rules, so such a
// keyword is not sent; the stored keyword stays as the user typed it.

// The rules of the service's keyword documentation.
enum class KeywordRule {
  kNoWords,            // blanks only
  kTooWide,            // more than kMaxKeywordWidth half-width characters in all
  kKanaOrSymbolAlone,  // a word of one kana or symbol; such a word needs two
  kHalfWidthAlone,     // a word of one half-width character; one full-width one would do
};

// A rule the keyword breaks, naming the word (UTF-8).
struct KeywordProblem {
  std::string word;  // empty when the rule is about the whole keyword
  KeywordRule rule;
  size_t width = 0;  // the keyword's width in half-width characters, for kTooWide
};

struct ServiceKeyword {
  std::string words;  // UTF-8; a full-width space parts words too, runs of spaces are one
  std::optional<KeywordProblem> problem;
};

// The most half-width characters a keyword may have in all (a full-width one counts as two).
inline constexpr size_t kMaxKeywordWidth = 128;

// The service's keyword for a stored keyword (code page 932), and the first rule it breaks.
ServiceKeyword ServiceKeywordOf(const std::string& keyword);
