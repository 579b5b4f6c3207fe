#pragma once

#include "state/service_settings.h"

// Reads the five settings from "setting.ini" (SettingsPath) into watchState.settings, and its
// [SERVICE] section into watchState.service. A missing file, section or key reads as 0 or the
// empty text.
void LoadSettings();

// Writes the five settings to "setting.ini" (SettingsPath), flags as "1" or "0", creating its
// folder when missing. When the file cannot be written, it and the settings stay as they were,
// without a message.
void SaveSettings();

namespace settings {

// Reads only the [SERVICE] section into watchState.service: before each check, so that what the
// service window saved counts from the next check on.
void LoadServiceSettings();

// Writes the [SERVICE] section's values that the service window shows (LOG and every other key
// and section stay as they are) in one replacement of the file, and makes the file readable by its
// owner alone; then uses the values. False, with the file and the values as they were, when it
// cannot be written.
bool SaveServiceSettings(const ServiceSettings& service);

}  // namespace settings
