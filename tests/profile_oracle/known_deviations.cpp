#include "profile_oracle/known_deviations.h"

#include <string_view>

#include "profile_oracle/file_lines.h"

namespace profile_oracle {

namespace {

std::string_view TrimmedStart(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// Where the first ']' of a header line is, reading by characters; npos when there is none.
size_t FirstCloseBracket(std::string_view line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ']') return i;
    if (IsLeadByte(line[i])) ++i;
  }
  return std::string_view::npos;
}

bool IsHeader(std::string_view line) {
  line = TrimmedStart(line);
  return !line.empty() && line.front() == '[' && FirstCloseBracket(line) != line.npos;
}

Case WithFileLines(const Case& oracleCase, const std::function<void(std::vector<Line>&)>& edit) {
  Case changed = oracleCase;
  if (!changed.file) return changed;
  std::vector<Line> lines = Lines(*changed.file);
  edit(lines);
  changed.file = Joined(lines);
  return changed;
}

Case DefaultsWithoutTrailingBlanks(const Case& oracleCase) {
  Case changed = oracleCase;
  for (auto& op : changed.ops) {
    if (op.kind != OpKind::kRead) continue;
    const size_t last = op.text.find_last_not_of(' ');
    op.text.resize(last == std::string::npos ? 0 : last + 1);
  }
  return changed;
}

Case HeadersEndingAtTheirFirstBracket(const Case& oracleCase) {
  return WithFileLines(oracleCase, [](std::vector<Line>& lines) {
    for (auto& line : lines) {
      if (IsHeader(line.text)) line.text.resize(FirstCloseBracket(line.text) + 1);
    }
  });
}

Case WithoutLinesLackingEquals(const Case& oracleCase) {
  return WithFileLines(oracleCase, [](std::vector<Line>& lines) {
    std::erase_if(lines, [](const Line& line) {
      return !TrimmedStart(line.text).empty() && !IsHeader(line.text) &&
             line.text.find('=') == std::string::npos;
    });
  });
}

Case WithoutLeadBytesBeforeLineEnds(const Case& oracleCase) {
  return WithFileLines(oracleCase, [](std::vector<Line>& lines) {
    for (auto& line : lines) {
      size_t last = 0;
      for (size_t i = 0; i < line.text.size(); i += IsLeadByte(line.text[i]) ? 2 : 1) last = i;
      if (!line.text.empty() && last + 1 == line.text.size() && IsLeadByte(line.text[last])) {
        line.text.pop_back();
      }
    }
  });
}

bool HasBlankName(std::string_view line) {
  line = TrimmedStart(line);
  const size_t close = FirstCloseBracket(line);
  return line.substr(1, close - 1).find_first_not_of(" \t") == std::string_view::npos;
}

Case WithoutNamelessHeaders(const Case& oracleCase) {
  return WithFileLines(oracleCase, [](std::vector<Line>& lines) {
    std::erase_if(lines,
                  [](const Line& line) { return IsHeader(line.text) && HasBlankName(line.text); });
  });
}

Case WrittenValuesWithoutLeadingBlanks(const Case& oracleCase) {
  Case changed = oracleCase;
  for (auto& op : changed.ops) {
    if (op.kind == OpKind::kWrite) op.text.erase(0, op.text.find_first_not_of(" \t"));
  }
  return changed;
}

Op Read(std::string section, std::string key, std::string defaultValue) {
  return {OpKind::kRead, std::move(section), std::move(key), std::move(defaultValue)};
}

Op Write(std::string section, std::string key, std::string value) {
  return {OpKind::kWrite, std::move(section), std::move(key), std::move(value)};
}

}  // namespace

const std::vector<KnownDeviation>& KnownDeviations() {
  static const std::vector<KnownDeviation> kList = {
      {"Wine returns a default of blanks only as it is (Windows: empty)",
       {false, std::nullopt, {Read("S", "k", " ")}},
       DefaultsWithoutTrailingBlanks},
      {"Wine reads a lead byte and the line end after it as one character, joining two lines "
       "(ours: the line ends there)",
       {false, "[S]\nk=\x82\nx=1\n", {Read("S", "x", "")}},
       WithoutLeadBytesBeforeLineEnds},
      {"ours: the first ']' ends a header (Wine: the last)",
       {false, "[a]b]\r\nk=1\r\n", {Read("a", "k", "")}},
       HeadersEndingAtTheirFirstBracket},
      {"Wine's writer drops a header '[]', so the keys under it join the section above",
       {false, "[S]\r\n[]\r\nk=1\r\n", {Write("T", "x", "1"), Read("S", "k", "")}},
       WithoutNamelessHeaders},
      {"ours: a line without '=' is no key (Wine: a key without a value, which a write fills in)",
       {false, "[S]\r\nk\r\n", {Write("S", "k", "1")}},
       WithoutLinesLackingEquals},
      {"Wine strips the blanks before a written value (Windows writes it as given)",
       {false, "[S]\r\nk=1\r\n", {Write("S", "k", " 2 ")}},
       WrittenValuesWithoutLeadingBlanks},
      {"Wine writes the whole file anew (blank lines dropped, blanks around names and '=' "
       "stripped, text after a header's ']' dropped); ours keeps every other line byte for byte",
       {false, "[S]\r\n\r\nk = 1\r\n", {Write("S", "x", "2")}},
       nullptr},
  };
  return kList;
}

}  // namespace profile_oracle
