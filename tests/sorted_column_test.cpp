#include "induction/sorted_column.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <vector>

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
