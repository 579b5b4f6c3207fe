#include "worker/disarm_alert.h"

#include <atomic>

#include "platform/ui/controls.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"

namespace {

std::atomic<CButton*> alertBox{nullptr};

}  // namespace

void worker::RegisterAlertBox(CButton* box) { alertBox = box; }

void DisarmAlert() {
  watchState.settings.scanFlag = 0;
  // Sent, not posted: the box is unticked before the settings are saved. Setting the check
  // raises no click, so the dialog's own handler does not run; without a window it does nothing.
  if (watchState.settingsDialogOpen != 0) {
    if (CButton* box = alertBox.load()) box->SendMessage(BM_SETCHECK, BST_UNCHECKED, 0);
  }
  SaveSettings();
}
