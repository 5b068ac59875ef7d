#include <algorithm>
#include <cmath>

#include "induction/entropy.h"
#include "induction/tree_builder.h"
#include "tree/tree_node.h"

std::uint32_t sortAttribute = 0;

namespace {

// Orders values ascending with NaN after every number, so that equal means
// "neither goes first" for every pair of floats.
bool valueBefore(float a, float b) {
  if (std::isnan(a)) return false;
  return std::isnan(b) || a < b;
}

float attributeOf(const Example& example, std::uint32_t attribute) {
  return valueAt(example.values, attribute);
}

std::uint32_t attributeCount(const ExampleSet& examples) {
  return examples.empty() ? 0 : static_cast<std::uint32_t>(examples.front().values.size());
}

}  // namespace

bool AttributeOrder::operator()(const Example& a, const Example& b) const {
  const float x = attributeOf(a, sortAttribute);
  const float y = attributeOf(b, sortAttribute);
  if (valueBefore(x, y)) return true;
  if (valueBefore(y, x)) return false;
  return a.classValue < b.classValue;
}

char predicateFor(const ExampleSet& examples) {
  for (const Example& example : examples) {
    for (const float value : example.values) {
      if (value != 0.0F && value != 1.0F) return '<';
    }
  }
  return '=';
}

char TreeBuilder::choosePredicate(const ExampleSet& examples) {
  const std::uint32_t n = attributeCount(examples);
  if (gains.size() != n) gains.assign(n, 0.0F);
  for (std::uint32_t i = 0; i < n; ++i) {
    gains[i] = unusableGain;
    for (std::size_t e = 1; e < examples.size(); ++e) {
      if (attributeOf(examples[e], i) != attributeOf(examples[e - 1], i)) {
        gains[i] = 0.0F;
        break;
      }
    }
  }
  return predicateFor(examples);
}

float midpoint(float lower, float upper) {
  const auto sum = static_cast<float>(static_cast<double>(lower) + upper);
  return static_cast<float>(static_cast<double>(sum) * 0.5);
}

void findCandidates(const ExampleSet& sorted, std::uint32_t attribute, std::vector<float>& candidates,
                    std::vector<std::uint32_t>& positions) {
  candidates.clear();
  positions.clear();
  for (std::size_t j = 0; j + 1 < sorted.size(); ++j) {
    if (sorted[j].classValue == sorted[j + 1].classValue) continue;
    candidates.push_back(midpoint(attributeOf(sorted[j], attribute), attributeOf(sorted[j + 1], attribute)));
    positions.push_back(static_cast<std::uint32_t>(j));
  }
}

void TreeBuilder::findThresholds(std::uint32_t majority, ExampleSet& examples) {
  const std::uint32_t n = attributeCount(examples);
  thresholds.assign(n, 0.0F);
  for (std::uint32_t i = 0; i < n; ++i) {
    sortAttribute = i;
    std::sort(examples.begin(), examples.end(), AttributeOrder{});
    std::vector<float> candidates;
    std::vector<std::uint32_t> positions;
    findCandidates(examples, i, candidates, positions);
    const std::uint32_t best = bestCandidate(majority, i, candidates, examples);
    // The threshold is the value of the upper example of the chosen pair,
    // not the midpoint: a value that occurs in the set, which '=' can match.
    // With no candidate (only possible for a one-class set) it stays 0.
    if (best != noIndex) thresholds[i] = attributeOf(examples[positions[best] + 1], i);
  }
}

std::uint32_t TreeBuilder::bestCandidate(std::uint32_t majority, std::uint32_t attribute,
                                         const std::vector<float>& candidates,
                                         const ExampleSet& examples) const {
  if (candidates.empty()) return noIndex;
  if (candidates.size() == 1) return 0;
  float best = splitScore(majority, attribute, candidates[0], examples);
  std::uint32_t index = 0;
  for (std::uint32_t c = 1; c < candidates.size(); ++c) {
    const float score = splitScore(majority, attribute, candidates[c], examples);
    if (best < score) {
      best = score;
      index = c;
    }
  }
  return index;
}

float TreeBuilder::splitScore(std::uint32_t majority, std::uint32_t attribute, float threshold,
                              const ExampleSet& examples) const {
  const std::size_t k = classes.size();
  std::vector<float> counts(k, 0.0F);
  for (std::size_t c = 0; c < k; ++c) {
    for (const Example& example : examples) {
      if (passesTest(pred, attributeOf(example, attribute), threshold) &&
          example.classValue == static_cast<std::uint8_t>(classes[c])) {
        counts[c] = static_cast<float>(static_cast<double>(counts[c]) + 1.0);
      }
    }
  }
  const auto total = static_cast<float>(static_cast<std::uint32_t>(examples.size()));
  float sum = 0.0F;
  for (std::size_t c = 0; c < k; ++c) {
    sum = static_cast<float>(static_cast<double>(classSplitEntropy(classCounts[c], total, counts[c])) + sum);
  }
  const float divisor = twoWayEntropy(classCounts[majority], total);
  return static_cast<float>(static_cast<double>(sum) / divisor);
}

std::uint32_t TreeBuilder::chooseAttribute(std::uint32_t majority, const ExampleSet& examples) {
  // The tables were sized for this node before the threshold search sorted
  // the set; the example now in front may have a different number of values.
  const auto n = static_cast<std::uint32_t>(gains.size());
  for (std::uint32_t i = 0; i < n; ++i) {
    if (gains[i] != unusableGain) gains[i] = splitScore(majority, i, thresholds[i], examples);
  }
  return bestGainIndex();
}

std::uint32_t TreeBuilder::bestGainIndex() const {
  if (gains.empty()) return noIndex;
  std::uint32_t best = 0;
  for (std::uint32_t k = 1; k < gains.size(); ++k) {
    if (gains[k] > gains[best]) best = k;
  }
  return gains[best] == unusableGain ? noIndex : best;
}
