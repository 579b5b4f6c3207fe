#include "service/working_text.h"

#include <algorithm>

#include "service/text_encoding.h"

WorkingText::WorkingText(const std::string& body) : buffer_(Utf8ToAnsi(body.c_str())) {
  if (buffer_) text_ = buffer_.get();
}

int64_t WorkingText::Find(std::string_view marker) const {
  const size_t found = text_.find(marker, static_cast<size_t>(start_));
  return found == std::string_view::npos ? -1 : static_cast<int64_t>(found) - start_;
}

std::string_view WorkingText::Substring(int64_t start, int64_t length) const {
  const auto size = static_cast<int64_t>(text_.size()) - start_;
  start = std::clamp<int64_t>(start, 0, size);
  length = std::clamp<int64_t>(length, 0, size - start);
  return text_.substr(static_cast<size_t>(start_ + start), static_cast<size_t>(length));
}
