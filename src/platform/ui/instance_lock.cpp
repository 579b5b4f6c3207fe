#include "platform/ui/instance_lock.h"

#include <cstdint>
#include <cstdio>

#include "platform/runtime/module_path.h"

namespace ui {

std::string InstanceLockName(const std::string& settingsPath) {
  uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a: stable across builds and platforms
  for (const char c : platform::CanonicalPath(settingsPath)) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  char name[32];
  std::snprintf(name, sizeof name, "kobanu-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace ui
