#pragma once

#include "platform/ui/win_types.h"

// The sockets layer's start-up. The HTTP layer starts libcurl itself, at its first exchange.
BOOL AfxSocketInit();

// Makes the next AfxSocketInit fail, for the start-up failure test.
void FailSocketInitForTesting(bool fail);
