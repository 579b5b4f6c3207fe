#pragma once

#include <mutex>
#include <string>

#include "state/guarded.h"

// A text that two threads share (see Guarded), asked whether it is empty without a copy.
class GuardedText : public Guarded<std::string> {
 public:
  using Guarded::operator=;

  bool empty() const {
    std::lock_guard lock(mutex_);
    return value_.empty();
  }
};
