#include "service/ichiba/service_versions.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <utility>

#include "base/no_destructor.h"

namespace service {

namespace {

// Both threads ask the service; never destroyed, as the worker may be asking at exit.
struct Versions {
  std::mutex mutex;
  VersionsSeen seen;
};
NoDestructor<Versions> versions;

}  // namespace

std::optional<std::string> VersionOf(std::string_view endpoint) {
  const size_t slash = endpoint.rfind('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view last = endpoint.substr(slash + 1);
  const bool isVersion = last.size() == 8 && std::all_of(last.begin(), last.end(), [](char c) {
                           return c >= '0' && c <= '9';
                         });
  return isVersion ? std::optional(std::string(last)) : std::nullopt;
}

std::string WithVersion(std::string_view endpoint, std::string_view version) {
  return std::string(endpoint.substr(0, endpoint.rfind('/') + 1)) + std::string(version);
}

std::string EndpointToAsk(const std::string& configured) {
  const auto version = VersionOf(configured);
  std::lock_guard lock(versions->mutex);
  if (!version || !versions->seen.retired.contains(*version) || !versions->seen.answering) {
    return configured;
  }
  return WithVersion(configured, *versions->seen.answering);
}

void NoteRetiredVersion(const std::string& version) {
  std::lock_guard lock(versions->mutex);
  versions->seen.retired.insert(version);
  if (versions->seen.answering == version) versions->seen.answering.reset();
}

void NoteAnsweringVersion(const std::string& version) {
  std::lock_guard lock(versions->mutex);
  versions->seen.answering = version;
}

std::optional<std::string> NextKnownVersion(const std::string& besides) {
  std::lock_guard lock(versions->mutex);
  for (const std::string_view known : kKnownVersions) {
    if (known != besides && !versions->seen.retired.contains(std::string(known))) {
      return std::string(known);
    }
  }
  return std::nullopt;
}

VersionsSeen SetVersionsSeenForTesting(VersionsSeen seen) {
  std::lock_guard lock(versions->mutex);
  return std::exchange(versions->seen, std::move(seen));
}

}  // namespace service
