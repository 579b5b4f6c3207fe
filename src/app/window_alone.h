#pragma once

// kobanu --service-settings: the service window alone, on the desktop's backend, with the settings
// loaded as the program loads them. 0 once it is closed (saved or not), 1 when it could not be
// shown.
int RunServiceSettings(int& argc, char** argv);
