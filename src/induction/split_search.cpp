// The split search on a node's rows. Each step reads of the set only what
// does not depend on the order of its examples:
// - the usable attributes and the predicate depend on which values occur;
// - a sorted attribute's (value, class) sequence is the same for any order of
//   the examples, and a run of equal entries holds no cut;
// - a score depends only on how many examples of each class pass.
#include <algorithm>
#include <bit>
#include <cmath>

#include "induction/entropy.h"
#include "induction/growth_observer.h"
#include "induction/tree_builder.h"
#include "tree/tree_node.h"

char predicateFor(const RowSet& set) {
  const RowTable& table = *set.table;
  for (const std::uint32_t row : set.rows) {
    for (std::uint32_t i = 0; i < table.width; ++i) {
      const float value = table.value(row, i);
      if (value != 0.0F && value != 1.0F) return '<';
    }
  }
  return '=';
}

char TreeBuilder::choosePredicate(const RowSet& set) {
  const RowTable& table = *set.table;
  const std::uint32_t n = table.width;
  if (gains.size() != n) gains.assign(n, 0.0F);
  const bool several = set.rows.size() > 1 || (set.rows.size() == 1 && table.counts[set.rows.front()] > 1);
  for (std::uint32_t i = 0; i < n; ++i) {
    // Walking the examples, a NaN differs from its neighbour, and numbers
    // differ somewhere exactly when they are not all equal.
    gains[i] = unusableGain;
    if (!several) continue;
    const float first = table.value(set.rows.front(), i);
    for (const std::uint32_t row : set.rows) {
      const float value = table.value(row, i);
      if (std::isnan(value) || value != first) {
        gains[i] = 0.0F;
        break;
      }
    }
  }
  return predicateFor(set);
}

ClassTally TreeBuilder::countPasses(const SortedColumn& column, float threshold) const {
  // NaN sorts last and passes no test, and the numbers before it are in
  // ascending order, so the examples that pass are one run of entries.
  if (std::isnan(threshold)) return {};
  const auto begin = column.values.begin();
  const auto end = begin + static_cast<std::ptrdiff_t>(column.numbers);
  const auto above = std::upper_bound(begin, end, threshold);
  const auto low = pred == '=' ? std::lower_bound(begin, above, threshold) : above;
  const auto high = pred == '=' ? above : end;
  const ClassTally& first = column.from[static_cast<std::size_t>(low - begin)];
  const ClassTally& last = column.from[static_cast<std::size_t>(high - begin)];
  return {first[0] - last[0], first[1] - last[1]};
}

void TreeBuilder::findThresholds(std::uint32_t majority, const RowSet& set) {
  const std::uint32_t n = set.table->width;
  thresholds.assign(n, 0.0F);
  thresholdPasses.assign(n, ClassTally{});
  SortedColumn column;
  std::vector<float> candidates;
  std::vector<std::uint32_t> positions;
  std::vector<float> scores;
  for (std::uint32_t i = 0; i < n; ++i) {
    sortColumn(set, i, column);
    findCandidates(column, candidates, positions);
    const std::uint32_t best =
        bestCandidate(majority, candidates, column, observer != nullptr ? &scores : nullptr);
    // The threshold is the value of the upper entry of the chosen cut, not
    // the midpoint: a value that occurs in the set, which '=' can match.
    // With no candidate (only possible for a one-class set) it stays 0.
    if (best != noIndex) thresholds[i] = column.values[positions[best] + 1];
    thresholdPasses[i] = countPasses(column, thresholds[i]);
    if (observer != nullptr) {
      observer->tell(ThresholdsFound{i, gains[i] != unusableGain, &column, candidates, positions, scores,
                                     best, thresholds[i]});
    }
  }
}

std::uint32_t TreeBuilder::bestCandidate(std::uint32_t majority, const std::vector<float>& candidates,
                                         const SortedColumn& column, std::vector<float>* scores) const {
  if (scores != nullptr) scores->clear();
  if (candidates.empty()) return noIndex;
  if (candidates.size() == 1) return 0;
  float best = splitScore(majority, countPasses(column, candidates[0]));
  if (scores != nullptr) scores->push_back(best);
  std::uint32_t index = 0;
  for (std::uint32_t c = 1; c < candidates.size(); ++c) {
    const float score = splitScore(majority, countPasses(column, candidates[c]));
    if (scores != nullptr) scores->push_back(score);
    // Of equal scores the earliest cut wins.
    if (best < score) {
      best = score;
      index = c;
    }
  }
  return index;
}

float TreeBuilder::splitScore(std::uint32_t majority, const ClassTally& passes) const {
  const auto size = static_cast<float>(setSize);
  float sum = 0.0F;
  for (std::size_t c = 0; c < passes.size(); ++c) {
    const auto passCount = static_cast<float>(passes[c]);
    sum = static_cast<float>(static_cast<double>(classSplitEntropy(classCounts[c], size, passCount)) + sum);
  }
  const float divisor = twoWayEntropy(classCounts[majority], size);
  return static_cast<float>(static_cast<double>(sum) / divisor);
}

std::uint32_t TreeBuilder::chooseAttribute(std::uint32_t majority) {
  for (std::uint32_t i = 0; i < gains.size(); ++i) {
    if (gains[i] != unusableGain) gains[i] = splitScore(majority, thresholdPasses[i]);
  }
  return bestGainIndex();
}

std::uint32_t TreeBuilder::bestGainIndex() const {
  if (gains.empty()) return noIndex;
  std::uint32_t best = 0;
  // Of equal gains the lowest attribute wins.
  for (std::uint32_t k = 1; k < gains.size(); ++k) {
    if (gains[k] > gains[best]) best = k;
  }
  return gains[best] == unusableGain ? noIndex : best;
}
