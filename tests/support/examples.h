#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <utility>
#include <vector>

#include "examples/example_generator.h"
#include "induction/row_table.h"
#include "learner/example.h"
#include "learner/row_folding.h"

inline Example example(std::initializer_list<float> values, std::uint8_t classValue) {
  return Example{classValue, std::vector<float>(values)};
}

// Every combination of `width` values 0 and 1, x1 varying slowest, labelled
// by `label`.
template <typename Label>
ExampleSet allCombinations(std::size_t width, Label label) {
  ExampleSet set;
  for (unsigned bits = 0; bits < (1U << width); ++bits) {
    std::vector<float> values;
    for (std::size_t i = 0; i < width; ++i)
      values.push_back(static_cast<float>((bits >> (width - 1 - i)) & 1U));
    const auto classValue = static_cast<std::uint8_t>(label(values));
    set.push_back(Example{classValue, std::move(values)});
  }
  return set;
}

// One example of each input of a concept, labelled by classOf. The last
// input comes first, so that no attribute is given in sorted order.
inline ExampleSet conceptExamples(FitnessFunction fitness) {
  ExampleSet set = allCombinations(
      valueCount(fitness), [fitness](const std::vector<float>& values) { return classOf(fitness, values); });
  std::reverse(set.begin(), set.end());
  return set;
}

// A set folded as a learn folds the training set, with all its rows.
struct Folded {
  RowTable table;
  std::vector<std::uint32_t> rows;

  explicit Folded(RowTable folded) : table(std::move(folded)), rows(table.rows()) {
    std::iota(rows.begin(), rows.end(), 0U);
  }
  explicit Folded(const ExampleSet& set) : Folded(foldRows(set)) {}
  RowSet all() { return RowSet{&table, rows}; }
};
