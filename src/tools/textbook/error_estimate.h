#pragma once

// C4.5's pessimistic estimate of the errors a leaf will make: the upper
// limit, at confidence CF, of the binomial error rate that its training
// errors show, times its cases.

struct ErrorEstimate {
  double confidence = 0.25;  // CF
  double z = 0.0;            // the normal deviate exceeded with probability CF
};

// The estimate at confidence `confidence` (from 0 to 0.5).
ErrorEstimate errorEstimate(double confidence);

// The errors to add to `errors` misclassified of `weight` cases; 0 for a
// leaf without cases.
double addedErrors(const ErrorEstimate& estimate, double weight, double errors);

// errors + addedErrors: what pruning compares.
double estimatedErrors(const ErrorEstimate& estimate, double weight, double errors);

// z such that a standard normal variable exceeds it with probability
// `upper` (from 0 to 1, exclusive).
double normalQuantileAbove(double upper);
