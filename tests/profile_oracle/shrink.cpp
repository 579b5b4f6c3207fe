#include "profile_oracle/shrink.h"

#include "profile_oracle/file_lines.h"

namespace profile_oracle {

namespace {

// Where each character of the text starts. A lead byte and its second byte are taken away
// together, so that shrinking makes no new double-byte characters (which the real functions
// might not know).
std::vector<size_t> CharacterStarts(std::string_view text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); ++i) {
    starts.push_back(i);
    if (IsLeadByte(text[i]) && i + 1 < text.size()) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0x40 && next != 0x7F && next <= 0xFC) ++i;
    }
  }
  starts.push_back(text.size());
  return starts;
}

// Each text with one run of characters taken away, the longer runs first.
std::vector<std::string> Shorter(const std::string& text) {
  const std::vector<size_t> starts = CharacterStarts(text);
  const size_t characters = starts.size() - 1;
  std::vector<std::string> shorter;
  for (size_t run = characters; run > 0; run /= 2) {
    for (size_t at = 0; at + run <= characters; at += run) {
      shorter.push_back(text.substr(0, starts[at]) + text.substr(starts[at + run]));
    }
  }
  return shorter;
}

std::vector<Case> Smaller(const Case& oracleCase) {
  std::vector<Case> smaller;
  for (size_t i = 0; i < oracleCase.ops.size(); ++i) {
    Case fewer = oracleCase;
    fewer.ops.erase(fewer.ops.begin() + static_cast<std::ptrdiff_t>(i));
    smaller.push_back(std::move(fewer));
  }
  if (oracleCase.file) {
    Case none = oracleCase;
    none.file.reset();
    smaller.push_back(std::move(none));
    const std::vector<Line> lines = Lines(*oracleCase.file);
    for (size_t i = 0; i < lines.size(); ++i) {
      std::vector<Line> fewer = lines;
      fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
      smaller.push_back(oracleCase);
      smaller.back().file = Joined(fewer);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
      for (const auto& shorter : Shorter(lines[i].text + lines[i].end)) {
        std::vector<Line> changed = lines;
        changed[i] = {shorter, ""};
        smaller.push_back(oracleCase);
        smaller.back().file = Joined(changed);
      }
    }
  }
  for (size_t i = 0; i < oracleCase.ops.size(); ++i) {
    for (std::string Op::*field : {&Op::section, &Op::key, &Op::text}) {
      for (auto& shorter : Shorter(oracleCase.ops[i].*field)) {
        if (shorter.empty() && field != &Op::text) continue;  // names are never empty
        smaller.push_back(oracleCase);
        smaller.back().ops[i].*field = std::move(shorter);
      }
    }
  }
  return smaller;
}

}  // namespace

Case Shrink(Case oracleCase, const std::function<bool(const Case&)>& stillFails, size_t budget) {
  for (bool progress = true; progress && budget > 0;) {
    progress = false;
    for (auto& candidate : Smaller(oracleCase)) {
      if (budget == 0) break;
      --budget;
      if (stillFails(candidate)) {
        oracleCase = std::move(candidate);
        progress = true;
        break;
      }
    }
  }
  return oracleCase;
}

}  // namespace profile_oracle
