#pragma once

#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace service {

// The versions of the IchibaItem/Search service. The service retires a version with notice, after
// which it answers every request for it with 400 "API Configuration not found"; Kobanu then asks
// the next version it knows on the same host and path and keeps to the one that answered until it
// ends.

// The versions known to answer, newest first (20220601 was retired on 2026-08-17/18).
inline constexpr std::array<std::string_view, 2> kKnownVersions = {"20260701", "20260401"};

// The version an endpoint ends in (a last path segment of eight digits); nothing for none.
std::optional<std::string> VersionOf(std::string_view endpoint);

// The endpoint with its version replaced. It must end in one.
std::string WithVersion(std::string_view endpoint, std::string_view version);

// The endpoint to ask instead of the configured one: with the version that answered in this run
// when the configured one's version was found retired; the configured one otherwise.
std::string EndpointToAsk(const std::string& configured);

// What the service said of a version.
void NoteRetiredVersion(const std::string& version);
void NoteAnsweringVersion(const std::string& version);

// The first known version not found retired and other than `besides`; nothing when none is left.
std::optional<std::string> NextKnownVersion(const std::string& besides);

// What the service has said of versions in this run.
struct VersionsSeen {
  std::set<std::string> retired;
  std::optional<std::string> answering;
};

// Replaces what the service has said, for tests (VersionsSeen{}: nothing yet); returns what it
// replaces.
VersionsSeen SetVersionsSeenForTesting(VersionsSeen seen);

}  // namespace service
