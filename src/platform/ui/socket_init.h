#pragma once

#include "platform/ui/win_types.h"

// The sockets layer's start-up (the system's own, see start_sockets.h).
BOOL AfxSocketInit();

// Makes the next AfxSocketInit fail, for the start-up failure test.
bool FailSocketInitForTesting(bool fail);  // returns the setting it replaces
