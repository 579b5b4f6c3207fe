#pragma once

// Reads the five settings from "setting.ini" beside the executable into watchState.settings,
// and its [SERVICE] section into watchState.service. A missing file, section or key reads as 0
// or the empty text.
void LoadSettings();

// Writes the five settings to "setting.ini" beside the executable, flags as "1" or "0". When the
// file cannot be written, it and the settings stay as they were, without a message.
void SaveSettings();
