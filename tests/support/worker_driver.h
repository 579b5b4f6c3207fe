#pragma once

#include <cstdint>
#include <functional>

namespace testing_support {

// Starts the process's one watch worker with its hourly pause replaced: the worker stops at each
// pause until the test lets it run one more cycle. The first cycle runs at once, as always.
class WorkerDriver {
 public:
  // pump runs the UI thread's work while the test waits; it returns once condition holds.
  explicit WorkerDriver(std::function<void(const std::function<bool()>& condition)> pump);

  // Lets the worker run one cycle and waits until it pauses again.
  void RunCycle();

  // The two halves of RunCycle, for a test that acts while the cycle runs.
  void Release();
  void WaitUntilPaused();

  int Pauses() const;            // pauses reached so far
  uint32_t LastPauseMs() const;  // the length the last pause asked for

 private:
  std::function<void(const std::function<bool()>&)> pump_;
};

}  // namespace testing_support
