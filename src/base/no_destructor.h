#pragma once

#include <utility>

// Holds a T that is never destroyed: for the objects that live until the process ends, which
// the watch worker (never stopped) or a late caller may still use while static destructors run.
// When T can be built at compile time, so can the holder (declare it constinit).
template <class T>
class NoDestructor {
 public:
  template <class... Args>
  constexpr explicit NoDestructor(Args&&... args) : value_(std::forward<Args>(args)...) {}
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;
  ~NoDestructor() {}  // a union member is not destroyed with its union

  constexpr T& operator*() { return value_; }
  constexpr T* operator->() { return &value_; }

 private:
  union {
    T value_;
  };
};
