#include "platform/ui/shell_open.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/ascii_text.h"
#include "platform/ui/backend.h"

namespace platform {

namespace {

// The unreserved and reserved characters of an address, and '%' for its escapes.
bool IsAddressChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) ||
         (c != '\0' && std::strchr("-._~:/?#[]@!$&'()*+,;=%", c) != nullptr);
}

}  // namespace

bool IsWebAddress(std::string_view address) {
  std::string_view rest;
  if (StartsWithNoCase(address, "http://")) {
    rest = address.substr(7);
  } else if (StartsWithNoCase(address, "https://")) {
    rest = address.substr(8);
  } else {
    return false;
  }
  const bool hasHost = !rest.empty() && std::strchr("/?#@:", rest.front()) == nullptr;
  return hasHost && std::all_of(address.begin(), address.end(), IsAddressChar);
}

bool OpenWebAddress(const std::string& address) {
  return IsWebAddress(address) && ui::CurrentBackend().OpenInBrowser(address);
}

}  // namespace platform
