#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "learner/example.h"

inline Example example(std::initializer_list<float> values, std::uint8_t classValue) {
  return Example{classValue, std::vector<float>(values)};
}

// The (value, class) pairs of one attribute, in the set's order.
inline std::vector<std::pair<float, int>> pairsOf(const ExampleSet& set, std::size_t attribute) {
  std::vector<std::pair<float, int>> pairs;
  for (const Example& e : set) pairs.emplace_back(e.values[attribute], e.classValue);
  return pairs;
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
