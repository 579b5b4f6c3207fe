#pragma once

#include <string>

// One Kobanu per settings file: a lock named after the file, whatever spelling of its path an
// instance was given. On POSIX a lock file (flock) in the user's private runtime folder, or
// beside the settings file when there is no such folder; a named mutex on Windows.
namespace ui {

enum class InstanceClaim {
  kHeld,           // this process holds the lock now
  kHeldElsewhere,  // another live instance holds it
  kNoLock,         // no lock can be made: nothing would keep a second watcher off the file
};

InstanceClaim ClaimInstanceLock(const std::string& settingsPath);

// Gives the lock back at a normal end.
void ReleaseInstanceLock();

// The lock's name: "kobanu-" and a hash of the file's canonical path, the same for every
// instance on the same file.
std::string InstanceLockName(const std::string& settingsPath);

}  // namespace ui
