#include "tools/textbook/information.h"

#include <cmath>
#include <vector>

double weightedLog(double weight) { return weight > 0.0 ? weight * std::log2(weight) : 0.0; }

double information(std::span<const double> classWeights) {
  double total = 0.0;
  double sum = 0.0;
  for (const double w : classWeights) {
    total += w;
    sum += weightedLog(w);
  }
  return total > 0.0 ? (weightedLog(total) - sum) / total : 0.0;
}

double gain(std::span<const double> branchClassWeights, std::size_t classCount, double unknown) {
  // Entropies as sums of w log2 w, left unnormalised until the end: the set
  // of known cases less each branch.
  std::vector<double> classes(classCount, 0.0);
  double known = 0.0;
  double branches = 0.0;
  for (std::size_t at = 0; at < branchClassWeights.size(); at += classCount) {
    double size = 0.0;
    for (std::size_t c = 0; c < classCount; ++c) {
      const double w = branchClassWeights[at + c];
      classes[c] += w;
      size += w;
      branches -= weightedLog(w);
    }
    known += size;
    branches += weightedLog(size);
  }
  double before = weightedLog(known);
  for (const double w : classes) before -= weightedLog(w);
  const double total = known + unknown;
  // (known / total) * (before - branches) / known, with one rounding less.
  return total > 0.0 ? roundedGain((before - branches) / total) : 0.0;
}

double splitInformation(std::span<const double> branchWeights, double unknown) {
  double total = unknown;
  double sum = weightedLog(unknown);
  for (const double w : branchWeights) {
    total += w;
    sum += weightedLog(w);
  }
  return total > 0.0 ? (weightedLog(total) - sum) / total : 0.0;
}

double gainRatio(double gain, double splitInformation) {
  return std::abs(splitInformation) < sameFigure ? 0.0 : gain / splitInformation;
}

double cutCost(std::size_t cuts, double weight) {
  return cuts > 0 && weight > 0.0 ? std::log2(static_cast<double>(cuts)) / weight : 0.0;
}
