#include "worker/check_status.h"

#include <atomic>
#include <mutex>

#include "base/no_destructor.h"
#include "platform/logfile/log_file.h"
#include "platform/ui/wnd.h"
#include "service/outcome_text.h"

namespace worker {

namespace {

constexpr int kFailuresBeforeNotice = 3;

// What the worker remembers of its checks between cycles.
struct Memory {
  std::mutex mutex;
  std::string tipLine;
  std::optional<service::Failure> lastFailure;
  int failuresInARow = 0;
};
// Never destroyed: the worker is not stopped at exit.
NoDestructor<Memory> memory;
std::atomic<HWND> statusWindow{nullptr};

// Hands the status to the window; sent, so that it is read before it goes. No lock is held.
void TellWindow(const CheckStatus& status) {
  if (const HWND window = statusWindow.load()) {
    SendMessageA(window, WM_CHECK_STATUS, 0, reinterpret_cast<LPARAM>(&status));
  }
}

// "HH:MM" of the local time now.
std::string ClockTime() { return platform::LocalTimeText().substr(11, 5); }

}  // namespace

void NoteCheckStatus(const std::optional<service::CheckOutcome>& outcome) {
  CheckStatus status;
  bool changed = false;
  {
    std::lock_guard lock(memory->mutex);
    if (!outcome) {
      memory->lastFailure.reset();
      memory->failuresInARow = 0;
    } else {
      status.tipLine = ClockTime() + " " + service::TextOf(*outcome).brief;
      if (outcome->Answered() || !outcome->failure) {
        memory->failuresInARow = 0;
        memory->lastFailure.reset();
      } else if (outcome->failure == memory->lastFailure) {
        ++memory->failuresInARow;
      } else {
        memory->failuresInARow = 1;
        memory->lastFailure = outcome->failure;
      }
      if (memory->failuresInARow == kFailuresBeforeNotice) {
        status.notice = service::UserText(*outcome);
        status.noticeKind = CheckStatus::Notice::kChecksFailing;
      }
    }
    changed = status.tipLine != memory->tipLine || !status.notice.empty();
    memory->tipLine = status.tipLine;
  }
  // Nothing to tell while [SERVICE] stays off: the tray is left exactly as it was.
  if (changed) TellWindow(status);
}

void NoteAlert(const service::CheckOutcome& outcome) {
  if (!outcome.cheapest) return;
  std::string tipLine;
  {
    std::lock_guard lock(memory->mutex);
    tipLine = memory->tipLine;
  }
  TellWindow({.tipLine = tipLine,
              .notice = service::MatchNotice(*outcome.cheapest),
              .noticeKind = CheckStatus::Notice::kMatch,
              .noticeAddress = outcome.cheapest->address});
}

void RegisterCheckStatusWindow(HWND window) { statusWindow = window; }

}  // namespace worker
