#pragma once

#include <condition_variable>
#include <mutex>

namespace ui {

// A one-time signal that one thread waits for and another gives. (GCC 12's std::binary_semaphore
// in the MinGW-w64 runtime can miss a release and sleep for ever.)
class Completion {
 public:
  void Signal() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    changed_.notify_all();
  }

  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return done_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool done_ = false;
};

}  // namespace ui
