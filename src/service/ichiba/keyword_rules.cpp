#include "service/ichiba/keyword_rules.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "base/utf8.h"
#include "service/text_encoding.h"

namespace service {

namespace {

constexpr std::string_view kFullWidthSpace = "\u3000";

bool IsHalfWidth(char32_t c) { return c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F); }

bool IsKana(char32_t c) {
  return (c >= 0x3041 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) ||
         (c >= 0xFF66 && c <= 0xFF9F);
}

// Punctuation, marks and signs: neither letters, digits nor ideographs.
bool IsSymbol(char32_t c) {
  if (c < 0x80) {
    return !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
  }
  return (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) ||
         (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF0F) ||
         (c >= 0xFF1A && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) ||
         (c >= 0xFF5B && c <= 0xFF65);
}

std::vector<char32_t> Characters(std::string_view utf8) {
  std::vector<char32_t> characters;
  while (!utf8.empty()) {
    const Utf8Character c = FirstUtf8Character(utf8);
    characters.push_back(c.length == 0 ? U'\uFFFD' : c.codePoint);
    utf8.remove_prefix(std::max<size_t>(c.length, 1));
  }
  return characters;
}

// The rule one word breaks, if any: at least two half-width characters or one full-width one,
// and at least two for a word of only kana and symbols.
std::optional<KeywordRule> BrokenRule(std::string_view word) {
  const std::vector<char32_t> characters = Characters(word);
  if (characters.size() >= 2) return std::nullopt;
  const char32_t c = characters.front();
  if (IsKana(c) || IsSymbol(c)) return KeywordRule::kKanaOrSymbolAlone;
  if (IsHalfWidth(c)) return KeywordRule::kHalfWidthAlone;
  return std::nullopt;
}

std::string Words(std::string utf8) {
  for (size_t at = utf8.find(kFullWidthSpace); at != utf8.npos; at = utf8.find(kFullWidthSpace)) {
    utf8.replace(at, kFullWidthSpace.size(), " ");
  }
  std::string words;
  for (const char c : utf8) {
    if (c == ' ' && (words.empty() || words.back() == ' ')) continue;
    words += c;
  }
  if (!words.empty() && words.back() == ' ') words.pop_back();
  return words;
}

size_t Width(std::string_view utf8) {
  size_t width = 0;
  for (const char32_t c : Characters(utf8)) width += IsHalfWidth(c) ? 1 : 2;
  return width;
}

}  // namespace

ServiceKeyword ServiceKeywordOf(const std::string& keyword) {
  ServiceKeyword result{Words(AnsiToUtf8(keyword.c_str())), std::nullopt};
  if (result.words.empty()) {
    result.problem = KeywordProblem{"", KeywordRule::kNoWords};
    return result;
  }
  if (const size_t width = Width(result.words); width > kMaxKeywordWidth) {
    result.problem = KeywordProblem{"", KeywordRule::kTooWide, width};
    return result;
  }
  std::string_view rest = result.words;
  while (!rest.empty()) {
    const std::string_view word = rest.substr(0, rest.find(' '));
    if (auto rule = BrokenRule(word)) {
      result.problem = KeywordProblem{std::string(word), *rule};
      return result;
    }
    rest.remove_prefix(std::min(rest.size(), word.size() + 1));
  }
  return result;
}

}  // namespace service
