#include <locale.h>

#include <cstdlib>

#include "platform/runtime/numbers.h"

namespace platform {

double StrtodC(const char* text) {
  static const _locale_t cLocale = _create_locale(LC_ALL, "C");
  return _strtod_l(text, nullptr, cLocale);
}

}  // namespace platform
