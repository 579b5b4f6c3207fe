#include "support/reader_transcription.h"

#include "platform/runtime/numbers.h"
#include "service/text_encoding.h"

namespace transcription {

namespace {

std::string Convert(const std::string& body) {
  const auto buffer = Utf8ToAnsi(body.c_str());
  return buffer ? std::string(buffer.get()) : std::string();
}

long Position(const std::string& text, const std::string& marker) {
  const size_t p = text.find(marker);
  return p == std::string::npos ? -1 : static_cast<long>(p);
}

std::string Substring(const std::string& text, long start, long length) {
  if (start < 0) start = 0;
  if (length < 0) length = 0;
  if (start > static_cast<long>(text.size())) return {};
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

int Status(const std::string& text) {
  const long e = Position(text, "/Status");
  if (e == -1) return -1;
  const long s = Position(text, "<Status>");
  const std::string status = Substring(text, s + 8, e - s - 9);
  if (status == "NotFound") return -2;
  if (status != "Success") return -3;
  return 0;
}

}  // namespace

int ParseHitCount(const std::string& body, int& count) {
  count = -1;
  const std::string text = Convert(body);
  const int status = Status(text);
  if (status != 0) return status;
  const long e = Position(text, "/count>");
  if (e == -1) return -1;
  const long c = Position(text, "<count>");
  count = platform::Atoi(Substring(text, c + 7, e - c - 8));
  return 0;
}

int ParseHitList(const std::string& body, HitTable& table, int& hitCount) {
  std::string text = Convert(body);
  const int status = Status(text);
  if (status != 0) {
    if (status != -1) hitCount = 0;
    return status;
  }
  if (Position(text, "/count>") == -1) return -1;
  const long e = Position(text, "/hits>");
  if (e == -1) return -1;
  const long h = Position(text, "<hits>");
  const int n = platform::Atoi(Substring(text, h + 6, e - h - 7));
  hitCount = n > MaxHits ? MaxHits : n;
  if (hitCount <= 0) return 0;
  const struct {
    const char* name;
    HitTable::Column HitTable::*column;
  } fields[] = {{"itemName", &HitTable::itemName},   {"itemCode", &HitTable::itemCode},
                {"itemPrice", &HitTable::itemPrice}, {"affiliateUrl", &HitTable::affiliateUrl},
                {"pointRate", &HitTable::pointRate}, {"shopName", &HitTable::shopName}};
  for (int i = 0; i < hitCount; ++i) {
    for (const auto& field : fields) {
      const std::string open = std::string("<") + field.name + ">";
      const std::string close = std::string("</") + field.name + ">";
      const long p = Position(text, open);
      if (p == -1) return -1;
      text.erase(0, static_cast<size_t>(p));
      const long q = Position(text, close);
      const long t = static_cast<long>(open.size());
      (table.*field.column)[i] = Substring(text, t, q - t);
    }
    table.rowIndex[i] = std::to_string(i);
  }
  return 0;
}

int ParseSalesStatus(const std::string& body) {
  std::string text = Convert(body);
  const long a = Position(text, "<span class=\"salesStatus\">");
  if (a == -1) return Position(text, "<div class=\"iconArea clfx\">") == -1 ? -1 : 1;
  text.erase(0, static_cast<size_t>(a));
  const long c = Position(text, "</span>");
  return Substring(text, 26, c - 26) == "\x94\xCC\x94\x84\x8F\x49\x97\xB9" ? -2 : 0;
}

}  // namespace transcription
