#pragma once

#include <string>

// One Kobanu per settings file: a lock named after the file's path, in the user's runtime folder
// (a lock file, taken over when the process that left it is gone) or a named mutex on Windows.
namespace ui {

// True when this process holds the lock, or when no lock can be made at all (then nothing is
// refused). False when another live instance holds it.
bool ClaimInstanceLock(const std::string& settingsPath);

// Gives the lock back at a normal end.
void ReleaseInstanceLock();

// The lock's name: "kobanu-" and a hash of the path, the same for every instance.
std::string InstanceLockName(const std::string& settingsPath);

}  // namespace ui
