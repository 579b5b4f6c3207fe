#include "faults.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include <nlohmann/json.hpp>

namespace standin {

namespace {

constexpr long kMaxBytes = 64L << 20;  // no request makes the stand-in build a larger body
constexpr long kMaxCount = 1'000'000;
constexpr auto kNeverAnswer = std::chrono::minutes(10);

// One misbehaving answer in the making.
struct Delivery {
  RawConnection& connection;
  const Fault& fault;
  Answer answer;
  const std::string& self;
  const std::string& followUp;

  // A numeric parameter within [0, max]; fallback when it is missing or no number.
  long Number(const std::string& key, long fallback, long max = kMaxBytes) const {
    const auto found = fault.params.find(key);
    if (found == fault.params.end()) return fallback;
    char* end = nullptr;
    const long value = std::strtol(found->second.c_str(), &end, 10);
    if (found->second.empty() || *end != '\0') return fallback;
    return std::clamp(value, 0L, max);
  }
  std::chrono::milliseconds Milliseconds(long fallback) const {
    return std::chrono::milliseconds(Number("ms", fallback, 3'600'000));
  }
  size_t CutPoint() const {
    const auto size = static_cast<long>(answer.body.size());
    return static_cast<size_t>(std::min(Number("at", size / 2), size));
  }
  std::string Text(const std::string& key, const std::string& fallback) const {
    const auto found = fault.params.find(key);
    return found == fault.params.end() ? fallback : found->second;
  }
  bool Send(std::string_view bytes, bool more = false) { return connection.Write(bytes, more); }
};

std::string Reason(int status) {
  static const std::map<int, std::string> reasons = {
      {200, "OK"},
      {204, "No Content"},
      {301, "Moved Permanently"},
      {302, "Found"},
      {303, "See Other"},
      {304, "Not Modified"},
      {307, "Temporary Redirect"},
      {308, "Permanent Redirect"},
      {400, "Bad Request"},
      {403, "Forbidden"},
      {404, "Not Found"},
      {500, "Internal Server Error"},
      {502, "Bad Gateway"},
      {503, "Service Unavailable"},
  };
  const auto found = reasons.find(status);
  return found == reasons.end() ? "Unknown" : found->second;
}

bool HasNoBody(int status) { return status < 200 || status == 204 || status == 304; }

// The status line and header fields, ended by the blank line.
std::string Head(int status, const std::string& fields) {
  return "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n" + fields +
         "Connection: close\r\n\r\n";
}

std::string SizedHead(const Answer& answer, size_t contentLength) {
  return Head(answer.status, "Content-Type: " + answer.contentType +
                                 "\r\nContent-Length: " + std::to_string(contentLength) + "\r\n");
}

std::string ChunkedHead(const Answer& answer) {
  return Head(answer.status,
              "Content-Type: " + answer.contentType + "\r\nTransfer-Encoding: chunked\r\n");
}

std::string Chunk(std::string_view data) {
  char size[20];
  std::snprintf(size, sizeof size, "%zx\r\n", data.size());
  return size + std::string(data) + "\r\n";
}

std::string PercentEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) || c == '-' || c == '.' || c == '_' || c == '~') {
      encoded += c;
    } else {
      encoded += {'%', kHex[b >> 4], kHex[b & 0x0F]};
    }
  }
  return encoded;
}

// The answer's head, then body as it is (no copy of a long body).
void SendWhole(Delivery& d, std::string_view body) {
  const Answer& a = d.answer;
  if (HasNoBody(a.status)) {
    d.Send(Head(a.status, ""));
  } else if (d.Send(SizedHead(a, body.size()), true)) {
    d.Send(body);
  }
}

void SendWhole(Delivery& d) { SendWhole(d, d.answer.body); }

void SendRedirect(Delivery& d, int status, const std::string& location) {
  d.Send(Head(status, "Location: " + location + "\r\nContent-Length: 0\r\n"));
}

// Bodies.

// The last size's body is kept: the benchmarks ask for one size many times in a row, and a body
// built afresh each time (its pages faulted in, copied) would weigh on the client's figures.
std::shared_ptr<const std::string> SizeBody(long bytes) {
  static std::mutex mutex;
  static std::shared_ptr<const std::string> last;
  std::lock_guard lock(mutex);
  if (last && last->size() == static_cast<size_t>(bytes)) return last;
  static const std::string line =
      "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_\n";
  std::string body;
  body.reserve(static_cast<size_t>(bytes));
  while (body.size() < static_cast<size_t>(bytes)) {
    body.append(line, 0, std::min(line.size(), static_cast<size_t>(bytes) - body.size()));
  }
  last = std::make_shared<const std::string>(std::move(body));
  return last;
}

void Lines(Delivery& d) {
  d.answer.body = LinesBody(d.Number("count", 1000, kMaxCount));
  SendWhole(d);
}

void Size(Delivery& d) { SendWhole(d, *SizeBody(d.Number("bytes", 0))); }

void NulBytes(Delivery& d) {
  static constexpr char kBody[] = "first line\nbefore\0after\nlast line\n";
  d.answer.body.assign(kBody, sizeof kBody - 1);
  SendWhole(d);
}

void InvalidUtf8(Delivery& d) {
  d.answer.body = "valid line\n\xFF\xFE lone \xC3\x28 bytes \xE7\xA6\nend\n";
  SendWhole(d);
}

void LongLine(Delivery& d) {
  const long bytes = d.Number("bytes", 10'000'000);
  std::string body(static_cast<size_t>(bytes), 'x');
  const long nulAt = d.Number("nulAt", -1);
  if (nulAt >= 0 && nulAt < bytes) body[static_cast<size_t>(nulAt)] = '\0';
  d.answer.body = body + "\nafter\n";
  SendWhole(d);
}

void OneLine(Delivery& d) {
  std::string& body = d.answer.body;
  std::erase_if(body, [](char c) { return c == '\n' || c == '\r'; });
  body.insert(0, static_cast<size_t>(d.Number("pad", 0)), ' ');
  SendWhole(d);
}

void SuccessForNotFound(Delivery& d) {
  std::string& body = d.answer.body;
  const std::string notFound = "<Status>NotFound</Status>";
  if (const size_t at = body.find(notFound); at != body.npos) {
    body.replace(at, notFound.size(), "<Status>Success</Status>");
  }
  SendWhole(d);
}

// Appends padding before every occurrence of closingTag.
void PadElements(std::string& body, const std::string& closingTag, const std::string& padding) {
  for (size_t at = body.find(closingTag); at != body.npos;
       at = body.find(closingTag, at + padding.size() + closingTag.size())) {
    body.insert(at, padding);
  }
}

// Appends padding to the text of field in every element of a JSON answer's "Items", in either
// format version.
void PadItemFields(nlohmann::json& items, const char* field, const std::string& padding) {
  for (nlohmann::json& element : items) {
    nlohmann::json& item = element.contains("Item") ? element["Item"] : element;
    if (item.contains(field) && item[field].is_string()) {
      item[field] = item[field].get<std::string>() + padding;
    }
  }
}

void LongFields(Delivery& d) {
  const auto chars = static_cast<size_t>(d.Number("chars", 300));
  std::string name;
  for (size_t i = 0; i < chars; ++i) name += "長";
  const std::string address(chars, 'x');
  nlohmann::json answer = nlohmann::json::parse(d.answer.body, nullptr, false);
  if (answer.is_object() && answer.contains("Items") && answer["Items"].is_array()) {
    PadItemFields(answer["Items"], "itemName", name);
    PadItemFields(answer["Items"], "affiliateUrl", address);
    d.answer.body = answer.dump();
  } else {
    PadElements(d.answer.body, "</itemName>", name);
    PadElements(d.answer.body, "</affiliateUrl>", address);
  }
  SendWhole(d);
}

void GivenAnswer(Delivery& d) {
  d.answer = {static_cast<int>(d.Number("status", 200, 999)), "application/json;charset=UTF-8",
              d.Text("body", "")};
  SendWhole(d);
}

// Deliveries.

void Status(Delivery& d) {
  const int code = static_cast<int>(d.Number("code", 500, 999));
  const std::string text = std::to_string(code) + " " + Reason(code);
  d.answer = {code, "text/html; charset=UTF-8",
              "<html><body><h1>" + text + "</h1></body></html>\n"};
  SendWhole(d);
}

void Redirect(Delivery& d) {
  const int code = static_cast<int>(d.Number("code", 302, 399));
  const long hops = d.Number("count", 1, 1000);
  const std::string to = d.Text("to", d.followUp);
  const std::string base = "http://" + d.self;
  if (hops > 1) {
    SendRedirect(d, code,
                 base + "/fault/redirect?count=" + std::to_string(hops - 1) +
                     "&code=" + std::to_string(code) + "&to=" + PercentEncoded(to));
  } else {
    SendRedirect(d, code, to.starts_with("/") ? base + to : to);
  }
}

void RedirectLoop(Delivery& d) {
  const int code = static_cast<int>(d.Number("code", 301, 399));
  SendRedirect(d, code, "http://" + d.self + "/fault/redirect-loop?code=" + std::to_string(code));
}

void DelayHeaders(Delivery& d) {
  if (!d.connection.ClientLeftWithin(d.Milliseconds(0))) SendWhole(d);
}

void StallBody(Delivery& d) {
  const std::string& body = d.answer.body;
  const size_t cut = d.CutPoint();
  if (!d.Send(SizedHead(d.answer, body.size()) + body.substr(0, cut))) return;
  if (!d.connection.ClientLeftWithin(d.Milliseconds(0))) d.Send(body.substr(cut));
}

void CloseMidBody(Delivery& d) {
  d.Send(SizedHead(d.answer, d.answer.body.size()) + d.answer.body.substr(0, d.CutPoint()));
}

void ResetMidBody(Delivery& d) {
  CloseMidBody(d);
  d.connection.ResetOnClose();
}

void Chunked(Delivery& d) {
  const auto size = static_cast<size_t>(std::max(d.Number("size", 100), 1L));
  std::string bytes = ChunkedHead(d.answer);
  const std::string& body = d.answer.body;
  for (size_t at = 0; at < body.size(); at += size) bytes += Chunk(body.substr(at, size));
  d.Send(bytes + "0\r\n\r\n");
}

void BadChunkSize(Delivery& d) {
  const size_t cut = d.CutPoint();
  const std::string& body = d.answer.body;
  d.Send(ChunkedHead(d.answer) + (cut > 0 ? Chunk(body.substr(0, cut)) : "") + "zz\r\n" +
         body.substr(cut));
}

void TrailerFlood(Delivery& d) {
  const std::string& body = d.answer.body;
  if (!d.Send(ChunkedHead(d.answer) + (body.empty() ? "" : Chunk(body)) + "0\r\n")) return;
  static const std::string line = "X-Flood: " + std::string(53, 'x') + "\r\n";
  std::string block;
  for (int i = 0; i < 1024; ++i) block += line;
  const auto lines = static_cast<size_t>(d.Number("bytes", kMaxBytes)) / line.size();
  for (size_t sent = 0; sent < lines;) {
    const size_t now = std::min(lines - sent, size_t{1024});
    if (!d.Send(std::string_view(block).substr(0, now * line.size()))) return;
    sent += now;
  }
  d.Send("\r\n");
}

void ContentLengthLarger(Delivery& d) {
  const std::string& body = d.answer.body;
  d.Send(SizedHead(d.answer, body.size() + static_cast<size_t>(d.Number("extra", 100))) + body);
}

void ContentLengthSmaller(Delivery& d) {
  d.Send(SizedHead(d.answer, d.CutPoint()) + d.answer.body);
}

void Trickle(Delivery& d) {
  const auto interval = d.Milliseconds(1000);
  const std::string& body = d.answer.body;
  if (!d.Send(SizedHead(d.answer, body.size()))) return;
  for (const char c : body) {
    if (!d.Send(std::string_view(&c, 1)) || d.connection.ClientLeftWithin(interval)) return;
  }
}

void NoHeaders(Delivery& d) { d.connection.ClientLeftWithin(kNeverAnswer); }

const std::map<std::string_view, void (*)(Delivery&)>& Modes() {
  static const std::map<std::string_view, void (*)(Delivery&)> modes = {
      {"lines", Lines},
      {"size", Size},
      {"nul-bytes", NulBytes},
      {"invalid-utf8", InvalidUtf8},
      {"long-line", LongLine},
      {"one-line", OneLine},
      {"long-fields", LongFields},
      {"answer", GivenAnswer},
      {"success-for-not-found", SuccessForNotFound},
      {"status", Status},
      {"redirect", Redirect},
      {"redirect-loop", RedirectLoop},
      {"delay-headers", DelayHeaders},
      {"stall-body", StallBody},
      {"close-mid-body", CloseMidBody},
      {"reset-mid-body", ResetMidBody},
      {"chunked", Chunked},
      {"bad-chunk-size", BadChunkSize},
      {"trailer-flood", TrailerFlood},
      {"content-length-larger", ContentLengthLarger},
      {"content-length-smaller", ContentLengthSmaller},
      {"trickle", Trickle},
      {"no-headers", NoHeaders},
  };
  return modes;
}

}  // namespace

bool IsFaultMode(std::string_view mode) { return Modes().contains(mode); }

std::string LinesBody(long count) {
  std::string body;
  for (long i = 1; i <= count; ++i) {
    body += (i % 5 == 0 ? std::string() : "line " + std::to_string(i)) + "\n";
  }
  return body + "end";
}

void AnswerFaultPath(RawConnection& connection, const Fault& fault, const std::string& self) {
  const std::string followUp = "/fault/lines";
  Delivery delivery{connection, fault, {}, self, followUp};
  delivery.answer.body = LinesBody(delivery.Number("count", 1000, kMaxCount));
  Modes().at(fault.mode)(delivery);
}

void Misbehave(RawConnection& connection, const Fault& fault, Answer answer,
               const std::string& self, const std::string& target) {
  Delivery delivery{connection, fault, std::move(answer), self, target};
  Modes().at(fault.mode)(delivery);
}

void RedirectOverTls(const Fault& fault, const std::string& target, httplib::Response& response) {
  const auto to = fault.params.find("to");
  const auto code = fault.params.find("code");
  response.set_redirect(to != fault.params.end() ? to->second : target,
                        code != fault.params.end() ? std::atoi(code->second.c_str()) : 302);
}

}  // namespace standin
