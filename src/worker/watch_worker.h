#pragma once

#include <string>

// The hourly watch cycle, as a thread procedure (the argument is not used). Never returns.
void WatchWorker(void* argument);

// Starts WatchWorker on a thread of its own, unless it runs already: one worker per process.
void StartWatchWorker();

// Clears scanFlag, unticks the open settings dialog's alert box, saves the settings. Worker only.
void DisarmAlert();

// Classifies a price text: 0 acceptable (the empty text too), 1 negative, 2 not a number.
int CheckPriceText(std::string text);
