#include "tools/textbook/error_estimate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double normalQuantileAbove(double upper) {
  // P(Z > z) = erfc(z / √2) / 2, which falls with z: bisection brackets the
  // root, then Newton's steps polish it to the last bit or two.
  const auto above = [](double z) { return 0.5 * std::erfc(z / std::numbers::sqrt2); };
  double low = -40.0;
  double high = 40.0;
  for (int step = 0; step < 64; ++step) {
    const double mid = 0.5 * (low + high);
    (above(mid) > upper ? low : high) = mid;
  }
  double z = 0.5 * (low + high);
  for (int step = 0; step < 3; ++step) {
    const double density = std::exp(-0.5 * z * z) / std::sqrt(2.0 * std::numbers::pi);
    if (density <= 0.0) break;
    z += (above(z) - upper) / density;
  }
  return z;
}

ErrorEstimate errorEstimate(double confidence) { return {confidence, normalQuantileAbove(confidence)}; }

double addedErrors(const ErrorEstimate& estimate, double weight, double errors) {
  if (weight <= 0.0) return 0.0;
  if (errors < 1.0) {
    // Without errors the limit is exact (1 - CF^(1/N) of the cases); between
    // none and one error C4.5 interpolates linearly.
    const double none = weight * (1.0 - std::pow(estimate.confidence, 1.0 / weight));
    if (errors <= 0.0) return none;
    return none + errors * (addedErrors(estimate, weight, 1.0) - none);
  }
  if (errors + 0.5 >= weight) return std::max(weight - errors, 0.0);
  // The normal approximation's upper limit, with a continuity correction of
  // half a case.
  const double z = estimate.z;
  const double f = (errors + 0.5) / weight;
  const double zz = z * z;
  const double limit =
      (f + zz / (2.0 * weight) + z * std::sqrt(f / weight - f * f / weight + zz / (4.0 * weight * weight))) /
      (1.0 + zz / weight);
  return limit * weight - errors;
}

double estimatedErrors(const ErrorEstimate& estimate, double weight, double errors) {
  return weight <= 0.0 ? 0.0 : errors + addedErrors(estimate, weight, errors);
}
