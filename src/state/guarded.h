#pragma once

#include <mutex>
#include <utility>

// A value that two threads share: it is always assigned whole and read as a copy, each under the
// value's own lock, so no reader sees it half replaced.
template <typename T>
class Guarded {
 public:
  Guarded() = default;
  Guarded(const Guarded&) = delete;
  Guarded& operator=(const Guarded&) = delete;

  Guarded& operator=(T value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
    return *this;
  }

  operator T() const {
    std::lock_guard lock(mutex_);
    return value_;
  }

 protected:
  mutable std::mutex mutex_;
  T value_{};
};
