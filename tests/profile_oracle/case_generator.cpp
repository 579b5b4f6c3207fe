#include "profile_oracle/case_generator.h"

namespace profile_oracle {

namespace {

const std::vector<std::string> kProgramKeys = {"SCAN_FLAG", "SCAN_KEYWORD", "SCAN_PRICE",
                                               "SCAN_ZAIKO", "SCAN_TIMESALE"};

// Double-byte characters whose second byte means something alone ('\', ']', '[', letters), the
// letters that only differ in case, the wide blank, and some kanji of real keywords.
const std::vector<std::string> kTrickyDoubleBytes = {
    "\x83\x5C",  // ソ
    "\x95\x5C",  // 表
    "\x83\x5D",  // ゾ
    "\x83\x5B",  // ゼ
    "\x83\x41",  // ア
    "\x83\x61",  // ヂ
    "\x82\x60",  // Ａ
    "\x82\x81",  // ａ
    "\x83\x9F",  // Α
    "\x83\xBF",  // α
    "\x81\x40",  // wide blank
    "\x81\x81",  // ＝
    "\x98\x72",  // 腕
    "\x8E\x9E",  // 時
    "\x8C\x76",  // 計
    "\x95\x9F",  // 福
    "\x91\xDC",  // 袋
    "\x82\xA0",  // あ
};

}  // namespace

std::string CaseGenerator::DoubleByte() {
  if (Chance(50)) return Pick(kTrickyDoubleBytes);
  // Level 1 kanji: every trail byte of these lead bytes is a character.
  const auto lead = static_cast<char>(0x89 + Below(0x97 - 0x89 + 1));
  size_t trail = 0x40 + Below(0xFC - 0x40);
  if (trail >= 0x7F) ++trail;
  return std::string{lead, static_cast<char>(trail)};
}

std::string CaseGenerator::Name() {
  static const std::string kNameBytes =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
  if (Chance(25)) return Pick(kProgramKeys);
  if (Chance(10)) return "PARAM";
  std::string name;
  const size_t length = 1 + Below(6);
  for (size_t i = 0; i < length; ++i) {
    if (Chance(30)) {
      name += DoubleByte();
    } else if (Chance(5)) {
      name += static_cast<char>(0xB1 + Below(0x2F));  // half-width katakana: one byte
    } else {
      name += kNameBytes[Below(kNameBytes.size())];
    }
  }
  return name;
}

std::string CaseGenerator::Blanks() {
  static const std::vector<std::string> kBlanks = {"", "", "", " ", "  ", "\t", " \t "};
  return Pick(kBlanks);
}

std::string CaseGenerator::Value() {
  std::string value;
  const int shape = static_cast<int>(Below(10));
  if (shape == 0) {  // longer than what a read returns
    const size_t length = 200 + Below(400);
    const bool wide = Chance(50);
    while (value.size() < length) value += wide ? DoubleByte() : std::string(1, 'a' + Below(26));
    if (Chance(30)) value = "x" + value;  // and the cut falls on an odd byte
    return value;
  }
  const size_t length = Below(8);
  for (size_t i = 0; i < length; ++i) {
    const int kind = static_cast<int>(Below(12));
    if (kind < 4) {
      value += static_cast<char>('0' + Below(10));
    } else if (kind < 7) {
      value += DoubleByte();
    } else if (kind < 9) {
      value += static_cast<char>('a' + Below(26));
    } else if (kind == 9) {
      value += ' ';
    } else {
      static const std::string kPunctuation = "=;[]\"'#\\";
      value += kPunctuation[Below(kPunctuation.size())];
    }
  }
  if (shape == 1) value = "\"" + value + "\"";
  if (shape == 2) value = "'" + value + (Chance(50) ? "'" : "\"");
  if (shape == 3) value = Blanks() + value + Blanks();
  return value;
}

std::string CaseGenerator::WithCaseChanged(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z' && Chance(50)) c = static_cast<char>(c - 32);
    if (c >= 'A' && c <= 'Z' && Chance(50)) c = static_cast<char>(c + 32);
  }
  return name;
}

std::string CaseGenerator::Line(const std::vector<std::string>& sections,
                                const std::vector<std::string>& keys) {
  const int kind = static_cast<int>(Below(100));
  if (kind < 15) return Blanks() + "[" + Blanks() + Pick(sections) + Blanks() + "]" + Blanks();
  if (kind < 55) return Blanks() + Pick(keys) + Blanks() + "=" + Value();
  if (kind < 60) return Blanks();
  if (kind < 64) return ";" + Pick(keys) + "=" + Value();
  if (kind < 67) return Pick(keys);  // no '='
  if (kind < 70) return "=" + Value();
  if (kind < 73) return "[" + Pick(sections);  // no ']'
  if (kind < 76) return "[" + Pick(sections) + "]" + Pick(keys) + "]";
  if (kind < 78) return "[]";
  if (kind < 80) return "]" + Pick(sections) + "[";
  if (kind < 82) return "[" + Pick(sections) + "] ; comment";
  if (kind < 84) return Pick(keys) + "=" + Value() + "\x1A";
  if (kind < 86) return Pick(keys) + "=" + Value() + "\x83";  // a lead byte, then the line end
  if (kind < 88) return Pick(keys) + "=\x1A" + Value();
  return Pick(keys) + "=" + Value();
}

Case CaseGenerator::Next() {
  std::vector<std::string> sections(1 + Below(4));
  for (auto& section : sections) section = Name();
  std::vector<std::string> keys(2 + Below(6));
  for (auto& key : keys) key = Name();

  Case oracleCase;
  if (!Chance(5)) {
    static const std::vector<std::string> kLineEnds = {"\r\n", "\n", "\r"};
    const bool mixed = Chance(15);
    const std::string& fileEnd = Pick(kLineEnds);
    std::string file;
    const size_t lines = Below(14);
    for (size_t i = 0; i < lines; ++i) {
      file += Line(sections, keys);
      if (i + 1 < lines || Chance(80)) file += mixed ? Pick(kLineEnds) : fileEnd;
    }
    oracleCase.file = file;
  }
  const size_t ops = 1 + Below(8);
  for (size_t i = 0; i < ops; ++i) {
    Op op{OpKind::kRead, WithCaseChanged(Pick(sections)), WithCaseChanged(Pick(keys)), {}};
    if (Chance(10)) op.section = Name();
    if (Chance(10)) op.key = Name();
    if (Chance(65)) {
      if (Chance(10)) op.key = " " + op.key + Blanks();  // names asked with blanks around
      static const std::vector<std::string> kDefaults = {"", " ", "  ", "d", " d ", "\x98\x72 "};
      op.text = Pick(kDefaults);
    } else {
      op.kind = OpKind::kWrite;
      op.text = Value();
    }
    oracleCase.ops.push_back(std::move(op));
  }
  return oracleCase;
}

std::string CaseGenerator::ProgramValue(size_t index) {
  switch (index) {
    case 1: {  // the keyword, as typed into the dialog
      std::string keyword;
      const size_t length = Below(6);
      for (size_t i = 0; i < length; ++i) keyword += Chance(70) ? DoubleByte() : "a";
      if (Chance(15)) keyword = " " + keyword + " ";
      if (Chance(10)) keyword = "\"" + keyword + "\"";
      return keyword;
    }
    case 2: {
      static const std::vector<std::string> kPrices = {"", "5000", "0", "-1", "abc", "1e3"};
      return Pick(kPrices);
    }
    default:
      return Chance(50) ? "1" : "0";
  }
}

std::vector<Op> CaseGenerator::ProgramOps(bool withSave) {
  std::vector<Op> ops;
  if (withSave) {
    for (size_t i = 0; i < kProgramKeys.size(); ++i) {
      ops.push_back({OpKind::kWrite, "PARAM", kProgramKeys[i], ProgramValue(i)});
    }
  }
  for (const auto& key : kProgramKeys) ops.push_back({OpKind::kRead, "PARAM", key, " "});
  return ops;
}

Case CaseGenerator::ProgramSave() {
  Case oracleCase;
  oracleCase.program = true;
  oracleCase.ops = ProgramOps(true);
  return oracleCase;
}

Case CaseGenerator::ProgramReload(std::string_view saved) {
  // Split into lines without their ends, edit some, join again.
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < saved.size()) {
    size_t end = saved.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = saved.size();
    if (end > start) lines.emplace_back(saved.substr(start, end - start));
    start = end + 1;
  }
  const size_t edits = Below(4);
  for (size_t i = 0; i < edits && !lines.empty(); ++i) {
    std::string& line = lines[Below(lines.size())];
    const size_t equals = line.find('=');
    switch (Below(9)) {
      case 0:  // blanks around '=' or at the end
        if (equals != std::string::npos) line.insert(equals, " ");
        line += Chance(50) ? " " : "\t";
        break;
      case 1:  // the user's own value
        if (equals != std::string::npos) line = line.substr(0, equals + 1) + Value();
        break;
      case 2:  // a comment or an empty line of their own
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(Below(lines.size() + 1)),
                     Chance(50) ? "; " + Value() : "");
        break;
      case 3:  // a key taken out
        if (lines.size() > 1 && !line.empty() && line.front() != '[') line = "";
        break;
      case 4:  // keys in another order
        std::swap(line, lines[Below(lines.size())]);
        break;
      case 5:  // another section before or after
        lines.insert(Chance(50) ? lines.begin() : lines.end(), {"[" + Name() + "]", Name() + "=x"});
        break;
      case 6:  // another spelling of the names
        line = WithCaseChanged(line);
        break;
      case 7:  // the value in quotes
        if (equals != std::string::npos) {
          line = line.substr(0, equals + 1) + "\"" + line.substr(equals + 1) + "\"";
        }
        break;
      default:  // a flag of another number
        if (equals != std::string::npos)
          line = line.substr(0, equals + 1) + std::to_string(Below(12));
        break;
    }
  }
  static const std::vector<std::string> kLineEnds = {"\r\n", "\n", "\r"};
  const std::string& lineEnd = Chance(70) ? kLineEnds[0] : Pick(kLineEnds);
  std::string file;
  for (const auto& line : lines) file += line + lineEnd;

  Case oracleCase;
  oracleCase.program = true;
  oracleCase.file = file;
  oracleCase.ops = ProgramOps(false);
  for (auto& op : ProgramOps(true)) oracleCase.ops.push_back(std::move(op));
  return oracleCase;
}

}  // namespace profile_oracle
