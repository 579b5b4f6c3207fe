#include "base/byte_search.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

// Texts of few distinct bytes, so that needles and their first and last bytes turn up often,
// at every alignment and across the ends of the sixteen- and thirty-two-byte blocks.
std::string RandomText(std::mt19937& random, size_t size, std::string_view alphabet) {
  std::string text(size, ' ');
  for (char& c : text) c = alphabet[random() % alphabet.size()];
  return text;
}

TEST(FindBytes, AgreesWithThePlainSearch) {
  std::mt19937 random(7);
  for (const std::string_view alphabet : {"<a/", "<>/ab\n", "\x81\x40<"}) {
    for (int round = 0; round < 3000; ++round) {
      const std::string text = RandomText(random, random() % 140, alphabet);
      const std::string needle = RandomText(random, 1 + random() % 6, alphabet);
      // Views that start anywhere in the text, so that no alignment is assumed.
      const size_t from = text.empty() ? 0 : random() % text.size();
      const std::string_view view = std::string_view(text).substr(from);
      ASSERT_EQ(FindBytes(view, needle), FindBytesPlain(view, needle)) << view << " / " << needle;
      ASSERT_EQ(FindBytes(view, needle), view.find(needle));
    }
  }
  EXPECT_EQ(FindBytes("abc", ""), 0u);
  EXPECT_EQ(FindBytes("ab", "abc"), std::string_view::npos);
}

}  // namespace
