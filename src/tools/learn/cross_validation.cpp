#include "tools/learn/cross_validation.h"

#include <algorithm>
#include <random>
#include <utility>

#include "tools/learn/learning.h"

namespace {

// A fold's rows and the rest, in the order the folds were dealt.
struct Split {
  std::vector<std::uint32_t> training;
  std::span<const std::uint32_t> tested;
};

Split split(const std::vector<std::vector<std::uint32_t>>& folds, std::size_t held) {
  Split parts;
  for (std::size_t f = 0; f < folds.size(); ++f)
    if (f != held) parts.training.insert(parts.training.end(), folds[f].begin(), folds[f].end());
  parts.tested = folds[held];
  return parts;
}

std::span<const float> rowOf(const Dataset& data, std::uint32_t row) {
  return {data.values.data() + std::size_t{row} * data.width, data.width};
}

// `rows` by class, each class in their order or shuffled by `engine`
// where it is given, the classes one after the other, the k-th row of that
// order dealt to part k mod `parts`.
std::vector<std::vector<std::uint32_t>> deal(const Dataset& data, std::span<const std::uint32_t> rows,
                                             std::size_t parts, std::mt19937* engine) {
  std::vector<std::vector<std::uint32_t>> byClass(data.classCount());
  for (const std::uint32_t row : rows) {
    const std::size_t c = data.classes[row];
    if (c >= byClass.size()) byClass.resize(c + 1);
    byClass[c].push_back(row);
  }
  std::vector<std::vector<std::uint32_t>> dealt(parts);
  std::size_t next = 0;
  for (std::vector<std::uint32_t>& ofClass : byClass) {
    // The engine is defined to the bit by the standard, but its
    // distributions are not: this draw is the program's own, so that a
    // seed deals alike whatever library is used.
    if (engine != nullptr)
      for (std::size_t i = ofClass.size(); i > 1; --i) std::swap(ofClass[i - 1], ofClass[(*engine)() % i]);
    for (const std::uint32_t row : ofClass) dealt[next++ % parts].push_back(row);
  }
  return dealt;
}

}  // namespace

std::vector<std::vector<std::uint32_t>> stratifiedFolds(const Dataset& data, std::size_t folds,
                                                        std::uint32_t seed) {
  std::vector<std::uint32_t> rows(data.size());
  for (std::uint32_t row = 0; row < rows.size(); ++row) rows[row] = row;
  std::mt19937 engine(seed);
  return deal(data, rows, folds, &engine);
}

Dataset someRows(const Dataset& data, std::span<const std::uint32_t> rows) {
  Dataset part;
  part.width = data.width;
  part.attributes = data.attributes;
  part.classAttribute = data.classAttribute;
  part.values.reserve(rows.size() * data.width);
  part.classes.reserve(rows.size());
  for (const std::uint32_t row : rows) {
    const auto values = rowOf(data, row);
    part.values.insert(part.values.end(), values.begin(), values.end());
    part.classes.push_back(data.classes[row]);
  }
  return part;
}

std::size_t Confusion::rows() const {
  std::size_t sum = 0;
  for (const std::size_t count : counts) sum += count;
  return sum;
}

std::size_t Confusion::right() const {
  std::size_t sum = 0;
  for (std::size_t c = 0; c < classCount; ++c) sum += at(c, c);
  return sum;
}

Confusion crossValidate(const Dataset& data, const LearnOptions& options) {
  Confusion confusion(data.classCount());
  const auto folds = stratifiedFolds(data, options.folds, options.seed);
  for (std::size_t held = 0; held < folds.size(); ++held) {
    const Split parts = split(folds, held);
    const Learnt learnt = learnTree(someRows(data, parts.training), options);
    for (const std::uint32_t row : parts.tested) {
      // A workbench tree read from elsewhere could answer any class; none
      // of the data's is then counted as wrong, in the last column.
      const std::size_t answered =
          std::min<std::size_t>(answer(learnt, rowOf(data, row)), data.classCount() - 1);
      ++confusion.at(data.classes[row], answered);
    }
  }
  return confusion;
}

LearningCurve learningCurve(const Dataset& data, const LearnOptions& options, std::size_t folds) {
  LearningCurve curve;
  curve.right.assign(curveSteps, 0);
  curve.tested.assign(curveSteps, 0);
  const auto dealt = stratifiedFolds(data, folds, options.seed);
  for (std::size_t held = 0; held < dealt.size(); ++held) {
    const Split parts = split(dealt, held);
    // Each step adds a tenth of the training rows, dealt as the folds are,
    // so that every step learns from each class its share.
    const auto tenths = deal(data, parts.training, curveSteps, nullptr);
    std::vector<std::uint32_t> training;
    for (std::size_t step = 0; step < curveSteps; ++step) {
      training.insert(training.end(), tenths[step].begin(), tenths[step].end());
      if (held == 0) curve.trainingRows.push_back(training.size());
      if (training.empty()) continue;
      const Learnt learnt = learnTree(someRows(data, training), options);
      for (const std::uint32_t row : parts.tested)
        curve.right[step] += answer(learnt, rowOf(data, row)) == data.classes[row] ? 1U : 0U;
      curve.tested[step] += parts.tested.size();
    }
  }
  return curve;
}
