#include "induction/entropy.h"

#include <cmath>

float logTwoDivisor() {
  static const float divisor = static_cast<float>(std::log10(2.0));
  return divisor;
}

float logTwo(float z) {
  const float y = static_cast<float>(std::log10(static_cast<double>(z)));
  return static_cast<float>(static_cast<double>(y) / static_cast<double>(logTwoDivisor()));
}

float logFactor(float z) {
  if (z == 0.0F) return 1.0F;
  if (z < 0.0F) return 0.0F;
  return logTwo(z);
}

double entropyCore(double p, double q) {
  const double lp = logFactor(static_cast<float>(p));
  const double lq = logFactor(static_cast<float>(q));
  return -(p * lp) - (q * lq);
}

float twoWayEntropy(float count, float total) {
  const float rest = std::fabs(static_cast<float>(static_cast<double>(count) - total));
  const double p = static_cast<double>(count) / total;
  const double q = static_cast<double>(rest) / total;
  return static_cast<float>(entropyCore(p, q));
}

float classSplitEntropy(float classCount, float total, float passCount) {
  const float failCount = std::fabs(static_cast<float>(static_cast<double>(passCount) - classCount));
  const double p = static_cast<double>(passCount) / classCount;
  const double q = static_cast<double>(failCount) / classCount;
  const double weight = static_cast<double>(classCount) / total;
  return static_cast<float>(entropyCore(p, q) * weight);
}
