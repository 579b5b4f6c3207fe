#pragma once

#include <string>

// One Kobanu per settings file: a lock named after the file's path, in the user's runtime folder
// (a lock file, released by the system's record of its owner when a crashed instance left it) or
// a named mutex on Windows. True when this process holds it, or when no lock can be made at all
// (then nothing is refused). False when another live instance holds it.
bool ClaimSettingsFile(const std::string& settingsPath);

// Gives the lock back at a normal end.
void ReleaseSettingsFile();

// The lock's name: "kobanu-" and a hash of the path, the same for every instance.
std::string InstanceLockName(const std::string& settingsPath);
