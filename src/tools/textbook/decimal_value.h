#pragma once

// Values are held as floats, but C4.5's implementations read a data file's
// decimals as doubles and compare those. Where the two could answer apart,
// the textbook learner asks the doubles.

// The double of `value`'s shortest decimal: the number a data file wrote
// for it, wherever it wrote no more digits than a float holds.
double decimalValue(float value);

// Whether `upper` is more than 1e-5 above `lower`, closer values being one
// value to C4.5, as their decimals' doubles answer it.
bool distinctValues(float lower, float upper);
