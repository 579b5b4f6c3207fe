#include <locale.h>

#include <cstdlib>

#include "platform/runtime/numbers.h"

namespace platform {

double StrtodC(const char* text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(text, nullptr, cLocale);
}

}  // namespace platform
