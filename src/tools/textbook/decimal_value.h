#pragma once

#include <cmath>

// Values are held as floats, but C4.5's implementations read a data file's
// decimals as doubles and compare those. Where the two could answer apart,
// the textbook learner asks the doubles.

// The double of `value`'s shortest decimal: the number a data file wrote
// for it, wherever it wrote no more digits than a float holds.
double decimalValue(float value);

// Whether the decimals of `lower` and `upper` are more than 1e-5 apart.
bool decimalsApart(float lower, float upper);

// Whether `upper` is more than 1e-5 above `lower`, closer values being one
// value to C4.5, as their decimals' doubles answer it. Each decimal lies
// within half a float's step of its float: only a gap that close to the
// margin needs the decimals.
inline bool distinctValues(float lower, float upper) {
  constexpr double margin = 1e-5;
  const double low = lower;
  const double high = upper;
  const double slack = (std::abs(low) + std::abs(high)) * 0x1p-23;
  const double gap = high - low;
  if (gap > margin + slack) return true;
  if (gap < margin - slack) return false;
  return decimalsApart(lower, upper);
}
