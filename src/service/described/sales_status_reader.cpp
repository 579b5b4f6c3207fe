#include "service/described/sales_status_reader.h"

#include "service/described/working_text.h"

namespace {
constexpr std::string_view kBadge = "<span class=\"salesStatus\">";
constexpr std::string_view kIconArea = "<div class=\"iconArea clfx\">";
constexpr std::string_view kSalesEnded =
    "\x94\xCC\x94\x84\x8F\x49\x97\xB9";  // 販売終了, code page 932
}  // namespace

int ParseSalesStatus(std::string_view body) {
  service::WorkingText text(body);
  const int64_t badge = text.Find(kBadge);
  if (badge == -1) return text.Find(kIconArea) == -1 ? -1 : 1;
  text.Cut(badge);
  const auto length = static_cast<int64_t>(kBadge.size());
  return text.Substring(length, text.Find("</span>") - length) == kSalesEnded ? -2 : 0;
}
