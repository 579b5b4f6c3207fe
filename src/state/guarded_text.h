#pragma once

#include <mutex>
#include <string>
#include <utility>

// A text that two threads share: it is always assigned whole and read as a copy, each under the
// text's own lock, so no reader sees it half replaced.
class GuardedText {
 public:
  GuardedText() = default;
  GuardedText(const GuardedText&) = delete;
  GuardedText& operator=(const GuardedText&) = delete;

  GuardedText& operator=(std::string text) {
    std::lock_guard lock(mutex_);
    text_ = std::move(text);
    return *this;
  }

  operator std::string() const {
    std::lock_guard lock(mutex_);
    return text_;
  }

  bool empty() const {
    std::lock_guard lock(mutex_);
    return text_.empty();
  }

 private:
  mutable std::mutex mutex_;
  std::string text_;
};
