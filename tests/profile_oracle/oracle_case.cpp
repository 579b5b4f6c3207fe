#include "profile_oracle/oracle_case.h"

#include <cstdint>
#include <cstdio>

namespace profile_oracle {

namespace {

void PutSize(std::string& out, size_t size) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(size >> shift));
}

void PutText(std::string& out, std::string_view text) {
  PutSize(out, text.size());
  out.append(text);
}

void PutOptional(std::string& out, const std::optional<std::string>& text) {
  out.push_back(text ? '1' : '0');
  if (text) PutText(out, *text);
}

bool TakeSize(std::string_view& in, size_t& size) {
  if (in.size() < 4) return false;
  size = 0;
  for (int i = 3; i >= 0; --i) size = size << 8 | static_cast<uint8_t>(in[i]);
  in.remove_prefix(4);
  return true;
}

bool TakeText(std::string_view& in, std::string& text) {
  size_t size = 0;
  if (!TakeSize(in, size) || size > in.size()) return false;
  text.assign(in.substr(0, size));
  in.remove_prefix(size);
  return true;
}

bool TakeOptional(std::string_view& in, std::optional<std::string>& text) {
  if (in.empty()) return false;
  const char present = in.front();
  in.remove_prefix(1);
  text.reset();
  if (present == '0') return true;
  text.emplace();
  return TakeText(in, *text);
}

}  // namespace

std::string Encode(const Case& oracleCase) {
  std::string out(1, oracleCase.program ? 'p' : 'b');
  PutOptional(out, oracleCase.file);
  PutSize(out, oracleCase.ops.size());
  for (const auto& op : oracleCase.ops) {
    out.push_back(static_cast<char>(op.kind));
    PutText(out, op.section);
    PutText(out, op.key);
    PutText(out, op.text);
  }
  return out;
}

std::string Encode(const Outcome& outcome) {
  std::string out;
  PutSize(out, outcome.reads.size());
  for (const auto& read : outcome.reads) PutText(out, read);
  PutOptional(out, outcome.file);
  return out;
}

bool Decode(std::string_view in, Case& oracleCase) {
  if (in.empty()) return false;
  oracleCase.program = in.front() == 'p';
  in.remove_prefix(1);
  size_t count = 0;
  if (!TakeOptional(in, oracleCase.file) || !TakeSize(in, count)) return false;
  oracleCase.ops.clear();
  for (size_t i = 0; i < count; ++i) {
    if (in.empty()) return false;
    Op op{static_cast<OpKind>(in.front()), {}, {}, {}};
    in.remove_prefix(1);
    if (!TakeText(in, op.section) || !TakeText(in, op.key) || !TakeText(in, op.text)) return false;
    oracleCase.ops.push_back(std::move(op));
  }
  return in.empty();
}

bool Decode(std::string_view in, Outcome& outcome) {
  size_t count = 0;
  if (!TakeSize(in, count)) return false;
  outcome.reads.assign(count, {});
  for (auto& read : outcome.reads) {
    if (!TakeText(in, read)) return false;
  }
  return TakeOptional(in, outcome.file) && in.empty();
}

std::string Framed(std::string_view message) {
  std::string out;
  PutText(out, message);
  return out;
}

std::string Escaped(std::string_view bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c >= 0x20 && c < 0x7F) {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<uint8_t>(c));
      out += hex;
    }
  }
  return out + "\"";
}

std::string Describe(const Case& oracleCase) {
  std::string out = oracleCase.program ? "  through the program's wrappers\n" : "";
  out += "  file: " + (oracleCase.file ? Escaped(*oracleCase.file) : "(none)") + "\n";
  for (const auto& op : oracleCase.ops) {
    const char* name = op.kind == OpKind::kRead    ? "read"
                       : op.kind == OpKind::kWrite ? "write"
                                                   : "rewrite";
    out += std::string("  ") + name + " [" + Escaped(op.section) + "] " + Escaped(op.key) + " " +
           (op.kind == OpKind::kRead ? "default " : "value ") + Escaped(op.text) + "\n";
  }
  return out;
}

std::string Describe(const Outcome& outcome) {
  std::string out;
  for (const auto& read : outcome.reads) out += "  read " + Escaped(read) + "\n";
  out += "  file after: " + (outcome.file ? Escaped(*outcome.file) : "(none)") + "\n";
  return out;
}

}  // namespace profile_oracle
