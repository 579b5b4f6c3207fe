#pragma once

#include <string>
#include <string_view>

#include "service/cheapest_match.h"
#include "service/check_outcome.h"

namespace service {

// What a check came to, in two voices: the check log's (English, the service's own words, and
// for a failure its cause and fix in Japanese) and a short Japanese one for the tray's tip. Every
// text an outcome shows is made here, from its facts.
struct OutcomeText {
  std::string head;  // "count 6", "service error 403: CLIENT_IP_NOT_ALLOWED"
  std::string log;   // the head, a failure's "— 原因: ... 対処: ...", a version that stood in
  std::string brief;    // "該当 6件", "確認できません: 登録IPと異なります"
  std::string cause{};  // for a failure, Japanese; empty otherwise
  std::string fix{};
};
OutcomeText TextOf(const CheckOutcome& outcome);

// The outcome as a person reads it in a box or a notice: the brief, and for a failure its cause and
// fix on lines of their own, the lines ended by lineEnd, each line shown as VisibleText.
std::string UserText(const CheckOutcome& outcome, std::string_view lineEnd = "\n");

// The cheapest match as the notice at an alert shows it: its name, cut between characters, on a
// line of its own, then its price, postage and shop.
std::string MatchNotice(const CheapestMatch& match);
// ... and on one line, with its address, for kobanu --check.
std::string MatchLine(const CheapestMatch& match);

}  // namespace service
