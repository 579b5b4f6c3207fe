#pragma once

#include <string>

// What CheckPriceText finds in a price text.
enum PriceCheck : int {
  PriceAcceptable = 0,  // a number of at least zero, or the empty text
  PriceNegative = 1,
  PriceNotNumber = 2,
};

PriceCheck CheckPriceText(std::string text);
