#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "tools/common/dataset.h"
#include "tools/learn/learn_options.h"

// The rows of `data` dealt into `folds` folds, each class spread over them
// as evenly as its rows allow: the rows of each class are shuffled by a
// generator seeded with `seed`, the classes laid one after the other and
// the k-th row of that order put in fold k mod `folds`. The same seed deals
// the same folds on every machine.
std::vector<std::vector<std::uint32_t>> stratifiedFolds(const Dataset& data, std::size_t folds,
                                                        std::uint32_t seed);

// The rows `rows` of `data`, with its names.
Dataset someRows(const Dataset& data, std::span<const std::uint32_t> rows);

// How the trees of a cross-validation answered the rows they did not learn
// from, counted by the row's class and the answer.
struct Confusion {
  std::size_t classCount = 0;
  std::vector<std::size_t> counts;  // actual class after actual class, each by answer

  explicit Confusion(std::size_t classes) : classCount(classes), counts(classes * classes, 0) {}
  std::size_t& at(std::size_t actual, std::size_t answered) { return counts[actual * classCount + answered]; }
  std::size_t at(std::size_t actual, std::size_t answered) const {
    return counts[actual * classCount + answered];
  }
  std::size_t rows() const;
  std::size_t right() const;
};

// K-fold cross-validation: for each fold, a tree learnt by `options` from
// the others answers its rows.
Confusion crossValidate(const Dataset& data, const LearnOptions& options);

// The learning curve: for each fold, trees learnt from one tenth of the
// other folds' rows, then two, up to all of them (each tenth dealt by class
// as the folds are), answer the fold's rows; `right[i]` sums over the folds
// the rows answered right at step i, of `tested[i]`. A step without a
// training row tests none.
struct LearningCurve {
  std::vector<std::size_t> trainingRows;  // n at each step, as the first fold had it
  std::vector<std::size_t> right;
  std::vector<std::size_t> tested;
};
constexpr std::size_t curveSteps = 10;
LearningCurve learningCurve(const Dataset& data, const LearnOptions& options, std::size_t folds);
