// The split search on a folded set. Each step reads of the set only what the
// same step on the examples reads, in forms that do not depend on the order
// of the examples, so both give the same bits:
// - the usable attributes and the predicate depend on which values occur;
// - a sorted attribute's (value, class) sequence is the same for any order of
//   the examples, and a run of equal entries holds no cut;
// - a score depends only on how many examples of each class pass.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "induction/tree_builder.h"
#include "tree/tree_node.h"

std::uint64_t exampleCount(const RowSet& set) {
  std::uint64_t size = 0;
  for (const std::uint32_t row : set.rows) size += set.table->counts[row];
  return size;
}

std::uint32_t TreeBuilder::majorityClass(const RowSet& set) {
  classTallies = {};
  for (const std::uint32_t row : set.rows) classTallies[set.table->classes[row]] += set.table->counts[row];
  classCounts.assign(classes.size(), 0.0F);
  for (std::size_t j = 0; j < classCounts.size(); ++j) classCounts[j] = static_cast<float>(classTallies[j]);
  return classTallies[1] > classTallies[0] ? 1 : 0;
}

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
  const bool several = exampleCount(set) >= 2;
  for (std::uint32_t i = 0; i < n; ++i) {
    // Walking the examples, a NaN differs from its neighbour, and numbers
    // differ somewhere exactly when they are not all equal.
    gains[i] = unusableGain;
    if (!several) continue;
    bool seen = false;
    float first = 0.0F;
    for (const std::uint32_t row : set.rows) {
      const float value = table.value(row, i);
      if (std::isnan(value) || (seen && value != first)) {
        gains[i] = 0.0F;
        break;
      }
      if (!seen) first = value;
      seen = true;
    }
  }
  return predicateFor(set);
}

void sortColumn(const RowSet& set, std::uint32_t attribute, SortedColumn& column) {
  const RowTable& table = *set.table;
  struct Key {
    float value;
    std::uint8_t classValue;
    std::uint64_t count;
  };
  std::vector<Key> keys;
  keys.reserve(set.rows.size());
  for (const std::uint32_t row : set.rows) {
    keys.push_back({table.value(row, attribute), table.classes[row], table.counts[row]});
  }
  std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
    if (valueBefore(a.value, b.value)) return true;
    if (valueBefore(b.value, a.value)) return false;
    return a.classValue < b.classValue;
  });
  column.values.resize(keys.size());
  column.classes.resize(keys.size());
  column.from.assign(keys.size() + 1, ClassTally{});
  column.numbers = keys.size();
  for (std::size_t e = keys.size(); e-- > 0;) {
    column.values[e] = keys[e].value;
    column.classes[e] = keys[e].classValue;
    column.from[e] = column.from[e + 1];
    column.from[e][keys[e].classValue] += keys[e].count;
    if (std::isnan(keys[e].value)) column.numbers = e;
  }
}

void findCandidates(const SortedColumn& column, std::vector<float>& candidates,
                    std::vector<std::uint32_t>& positions) {
  candidates.clear();
  positions.clear();
  for (std::size_t e = 0; e + 1 < column.values.size(); ++e) {
    if (column.classes[e] == column.classes[e + 1]) continue;
    candidates.push_back(midpoint(column.values[e], column.values[e + 1]));
    positions.push_back(static_cast<std::uint32_t>(e));
  }
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
  for (std::uint32_t i = 0; i < n; ++i) {
    sortAttribute = i;
    sortColumn(set, i, column);
    findCandidates(column, candidates, positions);
    const std::uint32_t best = bestCandidate(majority, i, candidates, column);
    // The value of the upper entry of the chosen cut, as with the examples.
    if (best != noIndex) thresholds[i] = column.values[positions[best] + 1];
    thresholdPasses[i] = countPasses(column, thresholds[i]);
  }
}

std::uint32_t TreeBuilder::bestCandidate(std::uint32_t majority, std::uint32_t /*attribute*/,
                                         const std::vector<float>& candidates,
                                         const SortedColumn& column) const {
  if (candidates.empty()) return noIndex;
  if (candidates.size() == 1) return 0;
  const std::uint64_t total = column.from.front()[0] + column.from.front()[1];
  float best = splitScore(majority, total, countPasses(column, candidates[0]));
  std::uint32_t index = 0;
  for (std::uint32_t c = 1; c < candidates.size(); ++c) {
    const float score = splitScore(majority, total, countPasses(column, candidates[c]));
    if (best < score) {
      best = score;
      index = c;
    }
  }
  return index;
}

std::uint32_t TreeBuilder::chooseAttribute(std::uint32_t majority, const RowSet& set) {
  const std::uint32_t n = set.table->width;
  const std::uint64_t total = exampleCount(set);
  for (std::uint32_t i = 0; i < n; ++i) {
    if (gains[i] != unusableGain) gains[i] = splitScore(majority, total, thresholdPasses[i]);
  }
  return bestGainIndex();
}
