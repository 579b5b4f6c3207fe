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
