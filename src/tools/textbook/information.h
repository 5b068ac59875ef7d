#pragma once

// C4.5's information figures, in bits, over the class weights of the
// branches of a test. A weight is a count of cases, fractional where a case
// with a missing value was split between branches. Each figure is worked
// out as C4.5 works it out, from sums of w log2 w, so that the textbook
// learner decides as it does.

#include <cstddef>
#include <span>

// The margin within which C4.5's implementations hold two figures equal:
// a score must beat the best so far by more than this to replace it.
constexpr double sameFigure = 1e-6;

// A gain as the sums' rounding leaves it, 0 where that is all there is:
// two partitions with the same class counts gain exactly the same.
inline double roundedGain(double gain) { return gain < 1e-12 && gain > -1e-12 ? 0.0 : gain; }

// w log2 w, 0 for a weight of 0.
double weightedLog(double weight);

// The class entropy of a set: -Σ p log2 p over its classes' shares.
double information(std::span<const double> classWeights);

// The information gain of a test whose branches hold `branchClassWeights`
// (branch after branch, `classCount` weights each) over a set that also
// holds `unknown` weight of cases whose tested value is missing. The gain is
// learnt from the known cases and scaled by their share of the set.
double gain(std::span<const double> branchClassWeights, std::size_t classCount, double unknown);

// The split information of a test: the entropy of the branches' sizes, the
// cases with a missing value counted as one branch more.
double splitInformation(std::span<const double> branchWeights, double unknown);

// Gain over split information; 0 where the split information is 0, as when
// every case goes one way.
double gainRatio(double gain, double splitInformation);

// What a numeric test pays for the choice of its threshold among `cuts`
// candidates, in bits per case of a set of `weight` cases: log2(cuts) /
// weight, release 8's correction by the minimum description length.
double cutCost(std::size_t cuts, double weight);
