#pragma once

class CButton;

// Clears scanFlag, unticks the open settings dialog's alert box, saves the settings. Worker only.
void DisarmAlert();

namespace worker {

// The alert box that DisarmAlert unticks, registered by the settings dialog while it is shown
// and null otherwise. The box object must outlive the registration by the worker's one send.
void RegisterAlertBox(CButton* box);

}  // namespace worker
