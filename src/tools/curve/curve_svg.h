#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/curve/learning_curve.h"

// The learning curves as one SVG document, for a browser or a slide: the
// share of runs right at each example, one line for each learning
// interval, told apart by colour and by dash so that a black-and-white copy
// still tells them, over axes with their labels, with a legend and `title`
// above. Up to 100 examples the example axis is linear; beyond, it is
// logarithmic, as the text chart's is, so that the first examples keep
// their room. Every curve has as many examples as the first.
void writeCurveSvg(const std::vector<LearningCurve>& curves, const std::string& title, std::ostream& out);
