#pragma once

#include <cstddef>
#include <iosfwd>
#include <vector>

#include "tools/curve/learning_curve.h"

// The chart's width in columns where the terminal's is not known, and the
// least it is given on a narrow one.
constexpr std::size_t defaultChartColumns = 60;
constexpr std::size_t minChartColumns = 10;

// The last example (from 1) of each column of a chart at most `columns`
// wide: one example each while they fit; beyond, columns on a logarithmic
// scale, so that the first examples, where the curve climbs, keep columns
// of their own however long the sessions.
std::vector<std::size_t> chartColumnEnds(std::size_t examples, std::size_t columns);

// The share of runs right at each example as a bar of '#' over ten rows,
// 0.1 to 1.0, each bar as high as its share rounded to the nearest tenth,
// with the axes labelled: plain characters, large enough for a projector.
void drawCurveChart(const LearningCurve& curve, std::size_t maxColumns, std::ostream& out);
