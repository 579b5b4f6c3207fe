#include "app/watch_state.h"

namespace {

// Holds the state without ever running its destructor.
union StateStorage {
  constexpr StateStorage() : state() {}
  ~StateStorage() {}
  WatchState state;
};

// Its constructor is constexpr, so the compiler builds it before any dynamic initialisation runs.
StateStorage storage;

}  // namespace

WatchState& watchState = storage.state;
