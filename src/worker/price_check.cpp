#include "worker/price_check.h"

#include <string>

#include "platform/runtime/numbers.h"

namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest decimal floating-point number at the start of text (optional sign,
// digits with an optional point and fraction, an optional exponent); 0 when there is none.
// Hexadecimal numbers, "inf" and "nan" are no decimal numbers.
size_t DecimalNumberLength(const std::string& text, size_t i) {
  const size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t e = i + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    if (e < text.size() && IsDigit(text[e])) {
      while (e < text.size() && IsDigit(text[e])) ++e;
      i = e;
    }
  }
  return i - start;
}

}  // namespace

PriceCheck CheckPriceText(std::string text) {
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  size_t start = 0;
  while (start < text.size() && IsCSpace(text[start])) ++start;
  const size_t length = DecimalNumberLength(text, start);
  // With no number read, the end is the start of the text, blanks included.
  const size_t end = length == 0 ? 0 : start + length;
  if (end < text.size()) return PriceNotNumber;
  if (length == 0) return PriceAcceptable;  // the empty text
  return platform::StrtodC(text.substr(start, length).c_str()) < 0 ? PriceNegative
                                                                   : PriceAcceptable;
}
