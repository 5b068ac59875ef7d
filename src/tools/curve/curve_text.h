#pragma once

#include <cstddef>
#include <iosfwd>

#include "tools/curve/learning_curve.h"

constexpr const char* curveCsvHeader = "learn_every,example,correct_share\n";

// One CSV row per example: the interval, the example's number from 1 and
// the share of runs right at it.
void writeCurveCsv(const LearningCurve& curve, std::ostream& out);

// For a person: the share right in blocks of examples, the chart, at most
// `chartColumns` wide, and the example after which every run stayed right.
void writeCurveReport(const LearningCurve& curve, std::size_t chartColumns, std::ostream& out);
