#include "service/described/working_text.h"

#include <algorithm>

#include "base/byte_search.h"
#include "service/text_encoding.h"

namespace service {

WorkingText::WorkingText(std::string_view body)
    : buffer_(Utf8ToAnsi(body.substr(0, body.find('\0')))) {
  if (buffer_) text_ = buffer_.get();
}

int64_t WorkingText::Find(std::string_view marker) const {
  const size_t found = FindBytes(text_.substr(static_cast<size_t>(start_)), marker);
  return found == std::string_view::npos ? -1 : static_cast<int64_t>(found);
}

std::string_view WorkingText::Substring(int64_t start, int64_t length) const {
  const auto size = static_cast<int64_t>(text_.size()) - start_;
  start = std::clamp<int64_t>(start, 0, size);
  length = std::clamp<int64_t>(length, 0, size - start);
  return text_.substr(static_cast<size_t>(start_ + start), static_cast<size_t>(length));
}

}  // namespace service
