#include "induction/row_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <map>
#include <tuple>

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

bool folds(const ExampleSet& set) {
  RowFolder folder;
  RowTable table;
  return folder.add(set) && folder.finish(table);
}

}  // namespace

TEST(RowFolder, CountsEachDistinctExampleWhateverItsValues) {
  // 0/1 examples first, then other values, then 0/1 again: the count taken
  // before other values appeared must carry over.
  ExampleSet set;
  for (int round = 0; round < 3; ++round) {
    for (int k = 0; k < 5; ++k) set.push_back(example({1, 0}, 1));
    set.push_back(example({0, 0}, 0));
    if (round == 1) set.push_back(example({0.5F, 2}, 0));
  }
  set.push_back(example({1, 0}, 0));
  RowFolder folder;
  ASSERT_TRUE(folder.add(std::span<const Example>(set).first(7)));
  ASSERT_TRUE(folder.add(std::span<const Example>(set).subspan(7)));
  RowTable table;
  ASSERT_TRUE(folder.finish(table));
  const Counts expected{{{1, {0x3F800000U, 0U}}, 15},
                        {{0, {0U, 0U}}, 3},
                        {{0, {0x3F000000U, 0x40000000U}}, 1},
                        {{0, {0x3F800000U, 0U}}, 1}};
  EXPECT_EQ(countsOf(table), expected);
}

TEST(RowFolder, RefusesSetsWhoseResultsWouldDependOnTheOrderOfASort) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(folds({example({0, 1}, 0), example({1, 0}, 1)}));
  // Examples of different widths, or a class that is neither 0 nor 1.
  EXPECT_FALSE(folds({example({0, 1}, 0), example({1}, 1)}));
  EXPECT_FALSE(folds({example({0, 1}, 0), example({1, 0}, 2)}));
  // 0.0 and -0.0 in one attribute: equal when sorted, not in their bits.
  EXPECT_FALSE(folds({example({0, 1}, 0), example({-0.0F, 1}, 1)}));
  EXPECT_FALSE(folds({example({0, -0.0F}, 0), example({-0.0F, 1}, 1)}));
  // -0.0 alone in an attribute, or in another attribute than 0.0, is fine.
  EXPECT_TRUE(folds({example({0, 1}, 0), example({1, -0.0F}, 1)}));
  // NaNs: one kind is fine, two kinds are not.
  EXPECT_TRUE(folds({example({nan}, 0), example({nan}, 1), example({2}, 1)}));
  EXPECT_FALSE(folds({example({nan}, 0), example({-nan}, 1)}));
}

TEST(RowFolder, CountsExamplesWithoutValuesByClass) {
  RowFolder folder;
  ASSERT_TRUE(folder.add(ExampleSet{example({}, 1), example({}, 0), example({}, 1)}));
  RowTable table;
  ASSERT_TRUE(folder.finish(table));
  const Counts expected{{{0, {}}, 1}, {{1, {}}, 2}};
  EXPECT_EQ(countsOf(table), expected);
}
