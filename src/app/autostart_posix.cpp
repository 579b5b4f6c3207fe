#include "app/autostart.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/utf8.h"
#include "platform/profile/atomic_file.h"
#include "platform/runtime/user_folders.h"

namespace {

std::string EntryPath() {
  const std::string config = platform::XdgConfigHome();
  return config.empty() ? "" : config + "autostart/kobanu.desktop";
}

// The Exec key's quoting: the path in double quotes with its reserved characters escaped, then
// the desktop file's own escapes for the backslash and the percent sign.
std::string ExecValue(const std::string& executable) {
  std::string quoted = "\"";
  for (const char c : executable) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string value;
  for (const char c : quoted) {
    if (c == '\\') value += '\\';
    if (c == '%') value += '%';
    value += c;
  }
  return value;
}

// A string value of the desktop file, where a path needs one escape: the backslash.
std::string StringValue(const std::string& text) {
  std::string value;
  for (const char c : text) {
    if (c == '\\') value += '\\';
    value += c;
  }
  return value;
}

}  // namespace

AutostartChange EnableAutostart(const std::string& executable) {
  const std::string where = EntryPath();
  if (where.empty()) return {false, "no home folder is known"};
  if (executable.empty()) return {false, "the program's own path is unknown"};
  // A desktop entry is UTF-8 text, one value to a line; launchers refuse anything else.
  if (!IsUtf8(executable)) {
    return {false, "the program's path is not valid UTF-8; move it to a folder whose name is"};
  }
  if (std::any_of(executable.begin(), executable.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    return {false, "the program's path holds a control character; move it to a folder without one"};
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(where).parent_path(), error);
  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Kobanu\n"
      "Name[ja]=Kobanu 楽天市場ウォッチ\n"
      "Exec=" +
      ExecValue(executable) +
      "\n"
      // A removed program leaves its entry behind; the session then starts nothing.
      "TryExec=" +
      StringValue(executable) +
      "\n"
      "Icon=kobanu\n"
      "Terminal=false\n"
      "X-GNOME-Autostart-enabled=true\n";
  if (!platform::ReplaceFile(where, entry)) return {false, where + ": cannot be written"};
  return {true, where};
}

AutostartChange DisableAutostart() {
  const std::string where = EntryPath();
  if (where.empty()) return {true, where};  // then there is none either
  std::error_code error;
  std::filesystem::remove(where, error);
  if (error) return {false, where + ": " + error.message()};
  return {true, where};
}
