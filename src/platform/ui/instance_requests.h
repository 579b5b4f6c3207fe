#pragma once

#include <string>

// A later start of the program with the same settings file, which may not run beside the first
// (ClaimInstanceLock), hands what it was started for to the one that runs: a command of the
// tray menu, which arrives there as if chosen in the tray (DeliverTrayMenuCommand). Only the
// same user's starts are heard.
namespace ui {

// Takes requests under the instance lock's name, in the UI thread's loop; once the backend is
// installed. Without a way to take them, later starts are simply not heard.
void ServeInstanceRequests(const std::string& lockName);

// Hands a command to the instance that serves under the lock's name; false when none takes it.
bool SendInstanceRequest(const std::string& lockName, unsigned command);

}  // namespace ui
