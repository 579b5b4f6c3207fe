#pragma once

#include <optional>
#include <string>

#include "platform/ui/win_types.h"
#include "service/check_outcome.h"

// The message the registered window gets, sent, when the status has changed; its lParam points
// to the CheckStatus, valid while the message is handled.
inline constexpr UINT WM_CHECK_STATUS = WM_USER + 2;

namespace worker {

// What the tray shows of the hourly checks while [SERVICE] is on: a second line for the icon's
// tip, with the time of the last check and its outcome in short; one notice when three checks
// in a row failed for the same cause (not again until a check succeeds or the cause changes);
// and at an alert one notice naming the cheapest match, whose activation opens its page.
struct CheckStatus {
  enum class Notice { kChecksFailing, kMatch };

  std::string tipLine;  // "12:00 該当 6件 最安 9,800円"; empty while [SERVICE] is off
  std::string notice;   // to show now, once; empty for none
  Notice noticeKind = Notice::kChecksFailing;
  std::string noticeAddress;  // the match's page; empty for the failing checks' notice
};

// After each of the worker's cycles: the outcome of its check with [SERVICE] on, nothing with
// it off (the tip goes back to its first line). Worker thread.
void NoteCheckStatus(const std::optional<service::CheckOutcome>& outcome);

// At an alert of the count check, before its box: the notice naming the outcome's cheapest match,
// which only today's service names; nothing without one. Worker thread.
void NoteAlert(const service::CheckOutcome& outcome);

// The window that NoteCheckStatus and NoteAlert tell, registered by the tray window; null for
// none. A window that is gone by then simply gets no message.
void RegisterCheckStatusWindow(HWND window);

}  // namespace worker
