#pragma once

#include "platform/ui/win_types.h"

// The sockets layer's start-up, which here is the HTTP layer's one global initialisation.
BOOL AfxSocketInit();

// Makes the next AfxSocketInit fail, for the start-up failure test.
void FailSocketInitForTesting(bool fail);
