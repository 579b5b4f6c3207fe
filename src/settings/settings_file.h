#pragma once

// Reads the five settings from "setting.ini" (SettingsPath) into watchState.settings. A missing
// file, section or key reads as 0 or the empty text.
void LoadSettings();

// Writes the five settings to "setting.ini" (SettingsPath), flags as "1" or "0", creating its
// folder when missing. When the file cannot be written, it and the settings stay as they were,
// without a message.
void SaveSettings();
