#pragma once

#include <cstddef>
#include <iosfwd>

#include "tools/curve/learning_curve.h"

// The chart has a column per example, or per run of neighbouring examples
// where there are more than this.
constexpr std::size_t maxChartColumns = 60;

// The share of runs right at each example as a bar of '#' over ten rows,
// 0.1 to 1.0, each bar as high as its share rounded to the nearest tenth,
// with the axes labelled: plain characters, large enough for a projector.
void drawCurveChart(const LearningCurve& curve, std::ostream& out);
