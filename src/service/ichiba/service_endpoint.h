#pragma once

#include <optional>
#include <string_view>

#include "service/check_outcome.h"

namespace service {

// Why an ENDPOINT of [SERVICE] may not be asked, decided before anything is sent: kBadEndpoint
// for anything but https or plain http to this machine (localhost, [::1], a dotted IPv4 address
// of 127.0.0.0/8 in four decimal numbers), kRetiredHost for a host the service has left.
// Nothing when it may be asked.
std::optional<Failure> EndpointRefusal(std::string_view endpoint);

}  // namespace service
