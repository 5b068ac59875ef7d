#include "induction/sorted_column.h"

#include <algorithm>
#include <bit>
#include <cmath>

// Two values neither of which goes first are equal: both NaN, or == (which
// makes 0.0 and -0.0 equal too).
bool valueBefore(float a, float b) {
  if (std::isnan(a)) return false;
  return std::isnan(b) || a < b;
}

bool AttributeOrder::operator()(const ColumnEntry& a, const ColumnEntry& b) const {
  if (valueBefore(a.value, b.value)) return true;
  if (valueBefore(b.value, a.value)) return false;
  if (a.classValue != b.classValue) return a.classValue < b.classValue;
  return std::bit_cast<std::uint32_t>(a.value) < std::bit_cast<std::uint32_t>(b.value);
}

void sortColumn(const RowSet& set, std::uint32_t attribute, SortedColumn& column) {
  const RowTable& table = *set.table;
  std::vector<ColumnEntry> entries;
  entries.reserve(set.rows.size());
  for (const std::uint32_t row : set.rows) {
    entries.push_back({table.value(row, attribute), table.classes[row], table.counts[row]});
  }
  std::sort(entries.begin(), entries.end(), AttributeOrder{});
  column.values.resize(entries.size());
  column.classes.resize(entries.size());
  column.from.assign(entries.size() + 1, ClassTally{});
  column.numbers = entries.size();
  for (std::size_t e = entries.size(); e-- > 0;) {
    const ColumnEntry& entry = entries[e];
    column.values[e] = entry.value;
    column.classes[e] = entry.classValue;
    column.from[e] = column.from[e + 1];
    // Class bytes other than 0 and 1 are counted nowhere.
    if (entry.classValue <= 1) column.from[e][entry.classValue] += entry.count;
    if (std::isnan(entry.value)) column.numbers = e;
  }
}

float midpoint(float lower, float upper) {
  const auto sum = static_cast<float>(static_cast<double>(lower) + upper);
  return static_cast<float>(static_cast<double>(sum) * 0.5);
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
