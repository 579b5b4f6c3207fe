#pragma once

#include "app/command_line.h"

// kobanu --service-settings or --price-history: that window alone, on the desktop's backend, with
// the settings loaded as the program loads them, as the application's main window. 0 once it is
// closed (saved or not), 1 when it could not be shown.
int RunWindowAlone(int& argc, char** argv, StartMode window);
