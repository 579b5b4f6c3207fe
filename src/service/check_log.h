#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "service/check_outcome.h"

namespace service {

// The check log, "kobanu.log" beside setting.ini (where the last load or save of the settings
// found it): one line per watch cycle and per hit-list search, saying what the check did. At 1 MiB
// it becomes "kobanu.log.1" and a new one begins.

inline constexpr std::string_view kCheckLogName = "kobanu.log";
inline constexpr std::string_view kRotatedCheckLogName = "kobanu.log.1";
inline constexpr uint64_t kCheckLogRotateBytes = 1u << 20;

// Appends "local time | check | outcome | url", with the access key masked, control characters
// as visible escapes (VisibleText) and over-long texts cut, when [SERVICE] is enabled or asks
// for the log (LOG=1); otherwise there is no log. A log that cannot be written loses the line
// silently.
void WriteCheckLog(std::string_view check, std::string_view outcome, std::string_view url);
// ... the outcome's check and its log's words.
void WriteCheckLog(const CheckOutcome& outcome);

// The folder of setting.ini as the settings file's functions last placed it ("/home/u/.config/
// kobanu/"), where the log and the price history lie; empty when no folder is known, so that
// neither is ever written in the current folder.
std::string SettingsFolder();

// text with the value of every accessKey parameter, the key itself (plain or percent-encoded)
// wherever else it stands, and the user information of every address ("user:password@")
// replaced by "****".
std::string MaskSecrets(std::string text, const std::string& key);

}  // namespace service
