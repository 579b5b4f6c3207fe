#pragma once

#include <functional>
#include <type_traits>
#include <utility>

namespace testing_support {

// A test seam (a ...ForTesting setter that returns what it replaces) set for as long as this
// lives: what it replaced comes back when the scope ends, however the test ends, a failed ASSERT
// too.
//   const ScopedOverride limits(platform::http::SetLimitsForTesting, {.idle = 300ms});
template <typename Value>
class ScopedOverride {
 public:
  template <typename Arg>
  ScopedOverride(Value (*set)(Arg), std::type_identity_t<Value> value)
      : restore_([set](Value old) { set(std::move(old)); }), old_(set(std::move(value))) {}
  ~ScopedOverride() { restore_(std::move(old_)); }
  ScopedOverride(const ScopedOverride&) = delete;
  ScopedOverride& operator=(const ScopedOverride&) = delete;

 private:
  std::function<void(Value)> restore_;
  Value old_;
};

template <typename Value, typename Arg>
ScopedOverride(Value (*)(Arg), std::type_identity_t<Value>) -> ScopedOverride<Value>;

}  // namespace testing_support
