#include "induction/sorted_column.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <sstream>
#include <vector>

#include "support/examples.h"

TEST(AttributeOrder, IsAStrictWeakOrderOverEveryKindOfFloat) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> values{
      nan,   -nan, std::bit_cast<float>(0x7FC00123U),        -inf, -1.0F,
      -0.0F, 0.0F, std::numeric_limits<float>::denorm_min(), 1.0F, std::numeric_limits<float>::max(),
      inf};
  std::vector<ColumnEntry> entries;
  for (const float v : values) {
    entries.push_back({v, 0, 1});
    entries.push_back({v, 1, 1});
  }
  const AttributeOrder before;
  const auto tied = [&](const ColumnEntry& a, const ColumnEntry& b) {
    return !before(a, b) && !before(b, a);
  };
  for (const ColumnEntry& a : entries) {
    EXPECT_FALSE(before(a, a));
    for (const ColumnEntry& b : entries) {
      EXPECT_FALSE(before(a, b) && before(b, a));
      // Only the same value and class tie: any sort gives one sequence.
      EXPECT_EQ(tied(a, b), &a == &b);
      for (const ColumnEntry& c : entries) EXPECT_FALSE(before(a, b) && before(b, c) && !before(a, c));
    }
  }
  // NaN of any sign goes after infinity, and NaNs go by class before their
  // bits; the two zeros go by class, then 0.0 before -0.0.
  EXPECT_TRUE(before({inf, 1, 1}, {nan, 0, 1}));
  EXPECT_TRUE(before({-nan, 0, 1}, {nan, 1, 1}));
  EXPECT_TRUE(before({nan, 0, 1}, {-nan, 0, 1}));
  EXPECT_TRUE(before({-0.0F, 0, 1}, {0.0F, 1, 1}));
  EXPECT_TRUE(before({0.0F, 1, 1}, {-0.0F, 1, 1}));
}

// Given unsorted, with every tie the order breaks: equal values of both
// classes, and -0.0 before 0.0 and -NaN before NaN, as a sort that kept
// equal values as they came would leave them. The threshold search thus
// meets, of equal values, class 0 first and the smallest bits first. A class
// byte other than 0 or 1 is counted in neither class.
TEST(SortedColumn, SortsARowSetAndCountsTheClassesAtAndAfterEachEntry) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Folded folded({example({-nan}, 1), example({2}, 0), example({nan}, 1), example({-0.0F}, 1), example({0}, 1),
                 example({2}, 0), example({0}, 0), example({-1}, 7), example({nan}, 0)});
  SortedColumn column;
  sortColumn(folded.all(), 0, column);
  std::ostringstream entries;
  for (std::size_t e = 0; e < column.values.size(); ++e)
    entries << column.values[e] << ':' << int{column.classes[e]} << ' ';
  EXPECT_EQ(entries.str(), "-1:7 0:0 0:1 -0:1 2:0 nan:0 nan:1 -nan:1 ");
  std::ostringstream from;
  for (const ClassTally& tally : column.from) from << tally[0] << '/' << tally[1] << ' ';
  EXPECT_EQ(from.str(), "4/4 4/4 3/4 3/3 3/2 1/2 0/2 0/1 0/0 ");
  EXPECT_EQ(column.numbers, 5U);
}
