#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "tools/common/data_names.h"
#include "tools/learn/cross_validation.h"

// `part` of `whole` (not 0) in per cent, to two decimals: "92.86%".
std::string percentText(std::size_t part, std::size_t whole);

// The rows answered right and their share, the confusion matrix (a row per
// actual class, a column per answer, in the classes' names) and each
// class's precision and recall, "-" where no row was answered or is of it.
void writeConfusion(const Confusion& confusion, const DataNames& names, std::ostream& out);

// The held-out accuracy at each step as a bar of '#' a fortieth wide, then
// the same as CSV rows under the header "training rows,accuracy".
void writeCurve(const LearningCurve& curve, std::ostream& out);
