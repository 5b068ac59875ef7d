#include "tools/textbook/decimal_value.h"

#include <charconv>

double decimalValue(float value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  double decimal = value;
  std::from_chars(text, end, decimal);
  return decimal;
}

bool decimalsApart(float lower, float upper) { return decimalValue(lower) + 1e-5 < decimalValue(upper); }
