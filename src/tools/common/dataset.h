#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Learner;

// Examples read from a CSV file or drawn as the workbench draws them, held
// flat so that filling a Learner does not depend on where they came from.
struct Dataset {
  std::size_t width = 0;  // attribute values per example
  std::vector<float> values;
  std::vector<std::uint8_t> classes;

  std::size_t size() const { return classes.size(); }
};

// N examples drawn the way the workbench draws them for `fitness`, from the
// C library's generator seeded with `seed`.
Dataset generate(char fitness, std::size_t count, unsigned seed);

// The most examples of `width` values that a data set and a Learner can
// index; more could never be held, however much memory there is.
std::size_t maxExamples(std::size_t width);

// Replaces the learner's training set with the examples, as addExample
// would add them one by one.
void fillLearner(Learner& learner, const Dataset& data);
