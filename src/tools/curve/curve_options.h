#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/common/command_line.h"

// The bounds keep a run of the largest numbers to about a minute: every
// interval replays runs × examples examples.
constexpr std::size_t maxLearnEvery = 10000;
constexpr std::size_t maxIntervals = 8;
constexpr std::size_t maxCurveExamples = 10000;
constexpr std::size_t maxRuns = 1000;

struct CurveOptions {
  char fitness = 0;
  std::vector<std::size_t> learnEvery{1, 4, 16};
  std::size_t examples = 64;
  std::size_t runs = 100;
  unsigned seed = 1;
  bool csv = false;
  bool svg = false;  // the chart as an SVG document instead of the text
};

using ParsedCurveArguments = ParsedArguments<CurveOptions>;

// Reads the arguments after the program's name: the concept CODE, then
// --learn-every K[,K...], --examples N, --runs R, --seed S, and --csv or
// --svg.
ParsedCurveArguments parseCurveArguments(const std::vector<std::string>& args);
