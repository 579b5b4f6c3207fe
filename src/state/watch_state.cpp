#include "state/watch_state.h"

namespace {

// Holds the state without ever running its destructor.
union StateStorage {
  StateStorage() : state() {}
  ~StateStorage() {}
  WatchState state;
};

// Built during static initialisation; nothing else built then touches it.
StateStorage storage;

}  // namespace

WatchState& watchState = storage.state;

SettingsSnapshot SnapshotSettings() {
  const WatchSettings& s = watchState.settings;
  return {.scanFlag = s.scanFlag,
          .scanKeyword = s.scanKeyword,
          .scanPrice = s.scanPrice,
          .scanZaiko = s.scanZaiko,
          .scanTimesale = s.scanTimesale};
}
