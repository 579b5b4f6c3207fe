#include "platform/ui/instance_requests.h"

// On Windows a later start ends at the named mutex without reaching the running instance.
namespace ui {

void ServeInstanceRequests(const std::string&) {}

bool SendInstanceRequest(const std::string&, unsigned) { return false; }

}  // namespace ui
