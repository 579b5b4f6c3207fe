#include "worker/check_status.h"

#include <atomic>
#include <mutex>

#include "base/no_destructor.h"
#include "platform/logfile/log_file.h"
#include "platform/ui/wnd.h"

namespace {

constexpr int kFailuresBeforeNotice = 3;

struct Status {
  std::mutex mutex;
  CheckStatus shown;
  std::optional<Failure> lastFailure;
  int failuresInARow = 0;
};
// Never destroyed: the worker is not stopped at exit.
NoDestructor<Status> status;
std::atomic<HWND> statusWindow{nullptr};

void TellWindow() {
  if (const HWND window = statusWindow.load()) PostMessageA(window, WM_CHECK_STATUS, 0, 0);
}

// "HH:MM" of the local time now.
std::string ClockTime() { return platform::LocalTimeText().substr(11, 5); }

}  // namespace

void NoteCheckStatus(const std::optional<CheckOutcome>& outcome) {
  bool changed = false;
  {
    std::lock_guard lock(status->mutex);
    const CheckStatus before = status->shown;
    if (!outcome) {
      status->shown = {};
      status->lastFailure.reset();
      status->failuresInARow = 0;
    } else {
      status->shown.tipLine = ClockTime() + " " + outcome->brief;
      if (outcome->answered || !outcome->failure) {
        status->failuresInARow = 0;
        status->lastFailure.reset();
      } else if (outcome->failure == status->lastFailure) {
        ++status->failuresInARow;
      } else {
        status->failuresInARow = 1;
        status->lastFailure = outcome->failure;
      }
      if (status->failuresInARow == kFailuresBeforeNotice) {
        status->shown.notice = UserText(*outcome);
        status->shown.noticeKind = CheckStatus::Notice::kChecksFailing;
        status->shown.noticeAddress.clear();
      }
    }
    changed = status->shown.tipLine != before.tipLine || status->shown.notice != before.notice;
  }
  // Nothing to tell while [SERVICE] stays off: the tray is left exactly as it was.
  if (changed) TellWindow();
}

void NoteAlert(const CheckOutcome& outcome) {
  if (!outcome.cheapest) return;
  {
    std::lock_guard lock(status->mutex);
    status->shown.notice = MatchNotice(*outcome.cheapest);
    status->shown.noticeKind = CheckStatus::Notice::kMatch;
    status->shown.noticeAddress = outcome.cheapest->address;
  }
  TellWindow();
}

CheckStatus TakeCheckStatus() {
  std::lock_guard lock(status->mutex);
  CheckStatus now = status->shown;
  status->shown.notice.clear();
  status->shown.noticeAddress.clear();
  return now;
}

void RegisterCheckStatusWindow(HWND window) { statusWindow = window; }
