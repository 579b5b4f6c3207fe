#include "app/watch_state.h"

namespace {

// Holds the state without ever running its destructor.
union StateStorage {
  constexpr StateStorage() : state() {}
  ~StateStorage() {}
  WatchState state;
};

constinit StateStorage storage;

}  // namespace

WatchState& watchState = storage.state;
