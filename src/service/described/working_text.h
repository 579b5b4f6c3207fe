#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace service {

// A response body converted to code page 932, read by first-occurrence marker search. Cutting
// text off the front only moves a start offset, so reading stays linear in the body's size.
class WorkingText {
 public:
  // Converts a UTF-8 body up to its first zero byte; a body that does not convert reads as the
  // empty text.
  explicit WorkingText(std::string_view body);

  // Offset of the first occurrence of marker at or after the start, relative to the start; -1
  // when it does not occur.
  int64_t Find(std::string_view marker) const;

  // Removes the first count bytes.
  void Cut(int64_t count) { start_ += count; }

  // The text from offset start for length bytes, relative to the start, clamped: a negative start
  // or length counts as 0, and the text ends where the working text ends.
  std::string_view Substring(int64_t start, int64_t length) const;

 private:
  std::unique_ptr<char[]> buffer_;
  std::string_view text_;
  int64_t start_ = 0;
};

}  // namespace service
