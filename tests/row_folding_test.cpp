#include "induction/row_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <map>
#include <tuple>

#include "learner/row_folding.h"
#include "support/examples.h"

namespace {

using Counts = std::map<std::tuple<int, std::vector<std::uint32_t>>, std::uint64_t>;

// The rows by class and value bits, whatever order the table holds them in.
Counts countsOf(const RowTable& table) {
  Counts counts;
  for (std::uint32_t r = 0; r < table.rows(); ++r) {
    std::vector<std::uint32_t> bits;
    for (std::uint32_t i = 0; i < table.width; ++i)
      bits.push_back(std::bit_cast<std::uint32_t>(table.value(r, i)));
    counts[{table.classes[r], bits}] += table.counts[r];
  }
  return counts;
}

}  // namespace

// Each set is folded in two parts, split where given, into rows whose
// counts are checked by class and value bits; no two rows are the same. A
// shorter example reads NaN where it has no value, a wider one keeps only
// the first values; a class byte other than 0 or 1 is a row's class too;
// 0.0 and -0.0, and NaNs of other bits, are rows of their own.
TEST(RowFolder, FoldsEachDistinctExampleIntoOneRowWithItsCount) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const auto bits = [](float v) { return std::bit_cast<std::uint32_t>(v); };
  // 0/1 examples first, then other values, then 0/1 again: the count taken
  // before other values appeared must carry over.
  ExampleSet mixed;
  for (int round = 0; round < 3; ++round) {
    for (int k = 0; k < 5; ++k) mixed.push_back(example({1, 0}, 1));
    mixed.push_back(example({0, 0}, 0));
    if (round == 1) mixed.push_back(example({0.5F, 2}, 0));
  }
  mixed.push_back(example({1, 0}, 0));
  // More rows than the first table of slots holds, every one given twice.
  ExampleSet many;
  Counts manyCounts;
  for (int round = 0; round < 2; ++round) {
    for (int k = 0; k < 600; ++k) {
      many.push_back(example({static_cast<float>(k) + 0.5F}, 0));
      manyCounts[{0, {bits(static_cast<float>(k) + 0.5F)}}] = 2;
    }
  }
  const struct {
    const char* what;
    ExampleSet set;
    std::size_t split;
    Counts counts;
  } cases[] = {
      {"0/1 and other values, in two parts", mixed, 7,
       {{{1, {bits(1), 0U}}, 15}, {{0, {0U, 0U}}, 3}, {{0, {bits(0.5F), bits(2)}}, 1}, {{0, {bits(1), 0U}}, 1}}},
      {"every kind of value and width",
       {example({0, 1}, 0), example({1}, 1), example({1, 0, 0.5F}, 0), example({1, 0}, 0), example({0, 1}, 7),
        example({-0.0F, 1}, 0), example({nan, 1}, 1), example({-nan, 1}, 1), example({nan, 1}, 1)},
       9,
       {{{0, {0U, bits(1)}}, 1},
        {{1, {bits(1), bits(nan)}}, 1},
        {{0, {bits(1), 0U}}, 2},
        {{7, {0U, bits(1)}}, 1},
        {{0, {bits(-0.0F), bits(1)}}, 1},
        {{1, {bits(nan), bits(1)}}, 2},
        {{1, {bits(-nan), bits(1)}}, 1}}},
      {"no values", {example({}, 1), example({}, 0), example({}, 1)}, 3, {{{0, {}}, 1}, {{1, {}}, 2}}},
      {"many rows", many, many.size(), manyCounts},
  };
  for (const auto& c : cases) {
    RowFolder folder;
    folder.add(std::span<const Example>(c.set).first(c.split));
    folder.add(std::span<const Example>(c.set).subspan(c.split));
    const RowTable table = folder.finish();
    EXPECT_EQ(countsOf(table), c.counts) << c.what;
    EXPECT_EQ(table.rows(), c.counts.size()) << c.what;
  }
}
