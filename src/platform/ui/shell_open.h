#pragma once

#include <string>
#include <string_view>

// Opening an address in the default browser, the stand-in for ShellExecuteA "open".
namespace platform {

// An absolute http:// or https:// address with a host, written only in the characters an
// address may hold (printable ASCII, no blanks, quotes or angle brackets).
bool IsWebAddress(std::string_view address);

// Hands a web address to the default browser; anything else is not opened, silently, just as
// an address the browser cannot open. True when it was handed over.
bool OpenWebAddress(const std::string& address);

}  // namespace platform
