#include "state/watch_state.h"

#include "base/no_destructor.h"

namespace {

// Built during static initialisation (at compile time where the library's mutex allows it);
// nothing else built then touches it.
NoDestructor<WatchState> storage;

}  // namespace

constinit WatchState& watchState = *storage;

SettingsSnapshot SnapshotSettings() {
  const WatchSettings& s = watchState.settings;
  return {.scanFlag = s.scanFlag,
          .scanKeyword = s.scanKeyword,
          .scanPrice = s.scanPrice,
          .scanZaiko = s.scanZaiko,
          .scanTimesale = s.scanTimesale};
}

ServiceSettings SnapshotService() { return watchState.service; }
