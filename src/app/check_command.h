#pragma once

// kobanu --check: one check now, from the command line. Loads the settings as the program does,
// makes the check the next hourly cycle would make (the count, or the time sale; with [SERVICE]
// against the IchibaItem/Search service) and prints the request (the key masked), the answer and
// the outcome, with its cause and fix in Japanese when it failed. Nothing is shown, alerted,
// disarmed, saved or logged, and no instance lock is taken. 0 when the question was answered
// (nothing found too), 1 otherwise.
int RunCheckCommand();
