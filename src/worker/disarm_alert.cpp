#include "platform/ui/win_types.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "worker/watch_worker.h"

void DisarmAlert() {
  watchState.settings.scanFlag = 0;
  // Sent, not posted: the box is unticked before the settings are saved. Setting the check
  // raises no click, so the dialog's own handler does not run; without a window it does nothing.
  if (watchState.settingsDialogOpen != 0) {
    settingsDialog.m_checkAlert.SendMessage(BM_SETCHECK, BST_UNCHECKED, 0);
  }
  SaveSettings();
}
