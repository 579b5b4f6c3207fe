#pragma once

#include <string>

class CButton;

// The hourly watch cycle, as a thread procedure (the argument is not used). Never returns.
void WatchWorker(void* argument);

// Starts WatchWorker on a thread of its own, unless it runs already: one worker per process.
void StartWatchWorker();

// Clears scanFlag, unticks the open settings dialog's alert box, saves the settings. Worker only.
void DisarmAlert();

// The alert box that DisarmAlert unticks, registered by the settings dialog while it is shown
// and null otherwise. The box object must outlive the registration by the worker's one send.
void RegisterAlertBox(CButton* box);

// What CheckPriceText finds in a price text.
enum PriceCheck : int {
  PriceAcceptable = 0,  // a number of at least zero, or the empty text
  PriceNegative = 1,
  PriceNotNumber = 2,
};

PriceCheck CheckPriceText(std::string text);
