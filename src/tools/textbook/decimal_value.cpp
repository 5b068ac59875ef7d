#include "tools/textbook/decimal_value.h"

#include <charconv>
#include <cmath>

double decimalValue(float value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  double decimal = value;
  std::from_chars(text, end, decimal);
  return decimal;
}

bool distinctValues(float lower, float upper) {
  constexpr double margin = 1e-5;
  const double low = lower;
  const double high = upper;
  // Each decimal lies within half a float's step of its float: only a gap
  // that close to the margin needs the decimals.
  const double slack = (std::abs(low) + std::abs(high)) * 0x1p-23;
  const double gap = high - low;
  if (gap > margin + slack) return true;
  if (gap < margin - slack) return false;
  return decimalValue(lower) + margin < decimalValue(upper);
}
