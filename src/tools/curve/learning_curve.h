#pragma once

#include <cstddef>
#include <vector>

#include "examples/example_generator.h"

// The verdicts of one workbench session after srand(seed), true for
// CORRECT: for each of `examples` examples the workbench's own example,
// classified by the current tree and then added to the training set, and
// after every `learnEvery`-th example the workbench's own learn, which
// empties the training set.
std::vector<bool> replaySession(FitnessFunction fitness, std::size_t learnEvery, std::size_t examples,
                                unsigned seed);

// The sessions of `runs` runs at one learning interval.
struct LearningCurve {
  std::size_t learnEvery = 0;
  std::size_t runs = 0;
  // For each example, the first at index 0: the runs right at it.
  std::vector<std::size_t> correct;
  // The last example at which some run was wrong: every run stayed right
  // after it. 0 when no run was ever wrong.
  std::size_t lastWrong = 0;
};

// Run r, counted from 0, replays the session seeded with seed + r (modulo
// 2^32).
LearningCurve measureCurve(FitnessFunction fitness, std::size_t learnEvery, std::size_t examples,
                           std::size_t runs, unsigned seed);
