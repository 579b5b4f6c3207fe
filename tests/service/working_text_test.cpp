#include <string>

#include <gtest/gtest.h>

#include "service/described/working_text.h"

namespace service {

namespace {

// The marker search tests blocks of places at once and the last few places one by one: a marker
// at any place, across a block's end or ending exactly at the text's end, must be found first
// where it first occurs, and a marker cut off by the end must not.
TEST(WorkingText, FindsTheFirstOccurrenceAtEveryPlace) {
  for (const std::string marker :
       {"<", "</count>", "<affiliateUrl>", "<span class=\"salesStatus\">"}) {
    for (size_t size = 0; size < 100; ++size) {
      for (size_t at = 0; at + marker.size() <= size; ++at) {
        std::string body(size, 'x');
        body.replace(at, marker.size(), marker);
        // The same first and last bytes in front, and the marker once more after it.
        if (at >= marker.size() + 1) body.replace(0, 1, marker.substr(0, 1));
        if (at + 2 * marker.size() <= size) body.replace(at + marker.size(), marker.size(), marker);
        SCOPED_TRACE(body);
        const WorkingText text(body);
        ASSERT_EQ(text.Find(marker), static_cast<int64_t>(body.find(marker)));
        const std::string cutOff = body.substr(0, at + marker.size() - 1);
        ASSERT_EQ(WorkingText(cutOff).Find(marker), static_cast<int64_t>(cutOff.find(marker)));
      }
    }
  }
}

}  // namespace

}  // namespace service
