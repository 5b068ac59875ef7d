#pragma once

// The entropies of the split score. Every result is stored as a float; the
// arithmetic between stores is done in double, and each rounding to float
// below is deliberate: the scores, and so the trees, depend on these bits.

// log10(2) rounded to float, computed on first use and kept.
float logTwoDivisor();

// The base-10 logarithm of z over that of 2, each rounded to float. Not the
// correctly rounded base-2 logarithm: its last bit may differ.
float logTwo(float z);

// The factor that multiplies a fraction in the entropy: 1 at zero, so that
// an empty share adds nothing, 0 below zero, logTwo above.
float logFactor(float z);

// -(p * L(p)) - (q * L(q)) for two fractions held in double.
double entropyCore(double p, double q);

// The two-outcome entropy of `count` out of `total`.
float twoWayEntropy(float count, float total);

// The entropy of the test's outcome within one class of `classCount`
// examples, `passCount` of which pass, weighted by the class's share of the
// `total` examples.
float classSplitEntropy(float classCount, float total, float passCount);
