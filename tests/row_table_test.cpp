#include "induction/row_table.h"
#include "learner/row_folding.h"

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
  folder.add(std::span<const Example>(set).first(7));
  folder.add(std::span<const Example>(set).subspan(7));
  const RowTable table = folder.finish();
  const Counts expected{{{1, {0x3F800000U, 0U}}, 15},
                        {{0, {0U, 0U}}, 3},
                        {{0, {0x3F000000U, 0x40000000U}}, 1},
                        {{0, {0x3F800000U, 0U}}, 1}};
  EXPECT_EQ(countsOf(table), expected);
}

TEST(RowFolder, FoldsEveryKindOfSetAtTheWidthOfItsFirstExample) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const auto bits = [](float v) { return std::bit_cast<std::uint32_t>(v); };
  // A shorter example reads NaN where it has no value, a wider one keeps
  // only the first values; a class byte other than 0 or 1 is a row's class
  // too; 0.0 and -0.0, and NaNs of other bits, are rows of their own.
  const ExampleSet set{example({0, 1}, 0),   example({1}, 1),       example({1, 0, 0.5F}, 0),
                       example({1, 0}, 0),   example({0, 1}, 7),    example({-0.0F, 1}, 0),
                       example({nan, 1}, 1), example({-nan, 1}, 1), example({nan, 1}, 1)};
  const Counts expected{{{0, {0U, bits(1)}}, 1},          {{1, {bits(1), bits(nan)}}, 1},
                        {{0, {bits(1), 0U}}, 2},          {{7, {0U, bits(1)}}, 1},
                        {{0, {bits(-0.0F), bits(1)}}, 1}, {{1, {bits(nan), bits(1)}}, 2},
                        {{1, {bits(-nan), bits(1)}}, 1}};
  const RowTable table = foldRows(set);
  EXPECT_EQ(table.width, 2U);
  EXPECT_EQ(countsOf(table), expected);
  // The same examples after 0/1 ones are counted alike.
  ExampleSet later{example({0, 1}, 0), example({1, 1}, 1)};
  later.insert(later.end(), set.begin(), set.end());
  Counts more = expected;
  more[{0, {0U, bits(1)}}] += 1;
  more[{1, {bits(1), bits(1)}}] += 1;
  EXPECT_EQ(countsOf(foldRows(later)), more);
}

TEST(RowFolder, CountsExamplesWithoutValuesByClass) {
  const RowTable table = foldRows(ExampleSet{example({}, 1), example({}, 0), example({}, 1)});
  const Counts expected{{{0, {}}, 1}, {{1, {}}, 2}};
  EXPECT_EQ(countsOf(table), expected);
}
