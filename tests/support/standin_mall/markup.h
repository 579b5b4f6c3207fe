#pragma once

#include <string>
#include <string_view>

namespace standin {

// Text as XML and HTML want it between tags and in attribute values.
std::string Escaped(std::string_view text);

}  // namespace standin
