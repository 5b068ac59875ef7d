// Class counts beyond 2^24, where a float counted in steps of 1.0 stops
// growing. The examples are fed in repeated chunks, so that the test holds
// a few thousand examples rather than seventeen million.
#include <gtest/gtest.h>

#include <cstdint>

#include "induction/row_table.h"
#include "induction/tree_builder.h"
#include "learner/learner.h"
#include "learner/row_folding.h"
#include "support/examples.h"

namespace {

constexpr std::uint64_t floatStepLimit = std::uint64_t{1} << 24;

// `chunk` examples of one class, cycling through the 0/1 values of three
// attributes, so that every chunk adds chunk / 8 to each of eight rows.
ExampleSet chunkOf(std::size_t chunk, std::uint8_t classValue) {
  ExampleSet set;
  for (std::size_t e = 0; e < chunk; ++e) {
    const float values[] = {static_cast<float>(e & 1U), static_cast<float>((e >> 1) & 1U),
                            static_cast<float>((e >> 2) & 1U)};
    set.emplace_back(classValue, values);
  }
  return set;
}

// Adds `count` examples of `classValue` (count a multiple of 8) to `folder`.
void addExamples(RowFolder& folder, std::uint64_t count, std::uint8_t classValue) {
  constexpr std::size_t chunk = 8192;
  const ExampleSet examples = chunkOf(chunk, classValue);
  std::uint64_t left = count;
  for (; left >= chunk; left -= chunk) folder.add(examples);
  folder.add(std::span<const Example>(examples).first(left));
}

RowTable fold(std::uint64_t zeros, std::uint64_t ones) {
  RowFolder folder;
  addExamples(folder, zeros, 0);
  addExamples(folder, ones, 1);
  return folder.finish();
}

}  // namespace

TEST(ExactCounts, TenBeyondTwoToTheTwentyFourOfOneClassAreCountedAndMakeAPureLeaf) {
  RowFolder folder;
  addExamples(folder, floatStepLimit, 1);
  const ExampleSet ten = chunkOf(10, 1);
  folder.add(ten);
  Folded folded(folder.finish());
  const RowTable& table = folded.table;
  ASSERT_EQ(table.rows(), 8U);
  // The ten extra examples are rows 0 to 7 once, then rows 0 and 1 again.
  for (std::uint32_t r = 0; r < table.rows(); ++r) {
    const auto pattern = static_cast<unsigned>(table.value(r, 0)) |
                         static_cast<unsigned>(table.value(r, 1)) << 1 |
                         static_cast<unsigned>(table.value(r, 2)) << 2;
    EXPECT_EQ(table.counts[r], floatStepLimit / 8 + (pattern < 2 ? 2 : 1)) << pattern;
  }

  TreeBuilder builder({false, true});
  EXPECT_EQ(builder.majorityClass(folded.all()), 1U);
  EXPECT_EQ(builder.classTallies, (ClassTally{0, floatStepLimit + 10}));
  EXPECT_EQ(builder.classCounts[1], static_cast<float>(floatStepLimit + 10));

  // Counted in float steps the class would stop at 2^24, short of the set's
  // size, and the set would not be taken as pure.
  TreeNode root;
  builder.grow(table, root);
  EXPECT_TRUE(root.isLeaf());
  EXPECT_EQ(root.leafClass, 1);
}

TEST(ExactCounts, TheMajorityBeyondTwoToTheTwentyFourIsTheLargerCount) {
  // As floats both counts would be 2^24, a tie that class 0 wins.
  Folded folded(fold(floatStepLimit + 8, floatStepLimit + 16));
  TreeBuilder builder({false, true});
  EXPECT_EQ(builder.majorityClass(folded.all()), 1U);
  EXPECT_EQ(builder.classTallies, (ClassTally{floatStepLimit + 8, floatStepLimit + 16}));
}
