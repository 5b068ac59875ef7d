#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "induction/tree_builder.h"
#include "learner/learner.h"
#include "learner/row_folding.h"
#include "support/examples.h"

namespace {

using Pairs = std::vector<std::pair<float, int>>;
using Cuts = std::pair<std::vector<float>, std::vector<std::uint32_t>>;

SortedColumn columnOf(const RowSet& set, std::uint32_t attribute) {
  SortedColumn column;
  sortColumn(set, attribute, column);
  return column;
}

// A builder prepared for one set as tree growth prepares it: classes
// counted, predicate chosen.
struct SplitSearch : ::testing::Test {
  TreeBuilder builder{{false, true}};
  std::uint32_t majority = 0;

  void prepare(const RowSet& set) {
    majority = builder.majorityClass(set);
    builder.pred = builder.choosePredicate(set);
  }

  // The sorted (value, class) pairs of one attribute, one for each example.
  static Pairs sortedOn(const RowSet& set, std::uint32_t attribute) {
    const SortedColumn column = columnOf(set, attribute);
    Pairs pairs;
    for (std::size_t e = 0; e < column.values.size(); ++e) {
      const ClassTally here = column.from[e];
      const ClassTally next = column.from[e + 1];
      const std::uint64_t count = here[0] - next[0] + here[1] - next[1];
      for (std::uint64_t k = 0; k < count; ++k) pairs.emplace_back(column.values[e], column.classes[e]);
    }
    return pairs;
  }

  // The candidate cuts of one attribute: midpoints and their positions.
  static Cuts cutsOn(const RowSet& set, std::uint32_t attribute) {
    Cuts cuts;
    findCandidates(columnOf(set, attribute), cuts.first, cuts.second);
    return cuts;
  }

  float scoreAt(const RowSet& set, std::uint32_t attribute, float threshold) const {
    return builder.splitScore(majority, builder.countPasses(columnOf(set, attribute), threshold));
  }
};

// Given out of order, so that a search that relied on sorted input fails.
ExampleSet andSet() {
  return {example({1, 1}, 1), example({0, 1}, 0), example({1, 0}, 0), example({0, 0}, 0)};
}

}  // namespace

TEST_F(SplitSearch, TwoInputAndScoresBothAttributesAlikeAndTakesTheFirst) {
  Folded folded(andSet());
  const RowSet set = folded.all();
  prepare(set);
  EXPECT_EQ(builder.classCounts, (std::vector<float>{3, 1}));
  EXPECT_EQ(majority, 0U);
  EXPECT_EQ(builder.pred, '=');
  EXPECT_EQ(builder.gains, (std::vector<float>{0, 0}));
  EXPECT_EQ(sortedOn(set, 0), (Pairs{{0, 0}, {0, 0}, {1, 0}, {1, 1}}));
  EXPECT_EQ(cutsOn(set, 0), (Cuts{{1}, {2}}));
  EXPECT_EQ(cutsOn(set, 1), (Cuts{{1}, {2}}));

  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds, (std::vector<float>{1, 1}));
  EXPECT_EQ(builder.chooseAttribute(majority), 0U);
  EXPECT_EQ(builder.gains, (std::vector<float>{0.848934233F, 0.848934233F}));
}

TEST_F(SplitSearch, TwoInputXorKeepsTheEarliestOfEqualCandidates) {
  Folded folded({example({1, 1}, 0), example({1, 0}, 1), example({0, 1}, 1), example({0, 0}, 0)});
  const RowSet set = folded.all();
  prepare(set);
  EXPECT_EQ(majority, 0U);
  EXPECT_EQ(sortedOn(set, 0), (Pairs{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
  EXPECT_EQ(cutsOn(set, 0), (Cuts{{0, 0.5F, 1}, {0, 1, 2}}));
  EXPECT_EQ(scoreAt(set, 0, 0.0F), 1.0F);
  EXPECT_EQ(scoreAt(set, 0, 0.5F), 0.0F);
  EXPECT_EQ(scoreAt(set, 0, 1.0F), 1.0F);
  EXPECT_EQ(builder.bestCandidate(majority, {0.0F, 0.5F, 1.0F}, columnOf(set, 0)), 0U);

  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds[0], 0.0F);
  EXPECT_EQ(builder.chooseAttribute(majority), 0U);
  EXPECT_EQ(builder.gains, (std::vector<float>{1, 1}));
}

TEST_F(SplitSearch, TwoInputOrHasClassOneAsMajority) {
  Folded folded({example({1, 0}, 1), example({0, 0}, 0), example({1, 1}, 1), example({0, 1}, 1)});
  const RowSet set = folded.all();
  prepare(set);
  EXPECT_EQ(majority, 1U);
  EXPECT_EQ(cutsOn(set, 0), (Cuts{{0}, {0}}));
  EXPECT_EQ(cutsOn(set, 1), (Cuts{{0}, {0}}));
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds, (std::vector<float>{0, 0}));
  EXPECT_EQ(builder.chooseAttribute(majority), 0U);
  EXPECT_EQ(builder.gains, (std::vector<float>{0.848934233F, 0.848934233F}));
}

TEST_F(SplitSearch, EqualValuesSortClassZeroFirst) {
  Folded folded({example({0}, 1), example({0}, 0), example({1}, 0)});
  const RowSet set = folded.all();
  prepare(set);
  EXPECT_EQ(sortedOn(set, 0), (Pairs{{0, 0}, {0, 1}, {1, 0}}));
  EXPECT_EQ(cutsOn(set, 0), (Cuts{{0, 0.5F}, {0, 1}}));
  EXPECT_EQ(scoreAt(set, 0, 0.0F), 0.725982547F);
  EXPECT_EQ(scoreAt(set, 0, 0.5F), 0.0F);
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds[0], 0.0F);
}

TEST_F(SplitSearch, AnAttributeWithOneValueIsNotScored) {
  Folded folded({example({0}, 1), example({0}, 0)});
  const RowSet set = folded.all();
  prepare(set);
  EXPECT_EQ(builder.gains, (std::vector<float>{unusableGain}));
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds[0], 0.0F);
  EXPECT_EQ(builder.chooseAttribute(majority), noIndex);
  EXPECT_EQ(builder.gains[0], unusableGain);
}

TEST_F(SplitSearch, ASingleExampleMakesEveryAttributeUnusable) {
  Folded one({example({0, 1, 0.5F}, 1)});
  prepare(one.all());
  EXPECT_EQ(builder.gains, (std::vector<float>(3, unusableGain)));
  // Two examples folded into one row are two examples, and a NaN differs
  // even from another NaN.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Folded twice({example({0, nan}, 1), example({0, nan}, 1)});
  prepare(twice.all());
  EXPECT_EQ(builder.gains, (std::vector<float>{unusableGain, 0.0F}));
}

TEST_F(SplitSearch, BestGainPrefersUsableAttributesAndTheLowestIndex) {
  builder.gains = {unusableGain, 0.0F};
  EXPECT_EQ(builder.bestGainIndex(), 1U);
  builder.gains = {unusableGain, unusableGain};
  EXPECT_EQ(builder.bestGainIndex(), noIndex);
  builder.gains = {0.5F, 0.5F};
  EXPECT_EQ(builder.bestGainIndex(), 0U);
  builder.gains = {0.25F, 0.5F, 0.5F};
  EXPECT_EQ(builder.bestGainIndex(), 1U);
}

TEST(PredicateFor, IsEqualityOnlyForValuesZeroAndOne) {
  const auto predicate = [](const ExampleSet& examples) { return predicateFor(Folded(examples).all()); };
  EXPECT_EQ(predicate({}), '=');
  EXPECT_EQ(predicate({example({0, 1}, 0), example({1, 1}, 1)}), '=');
  EXPECT_EQ(predicate({example({0, 1}, 0), example({1, 0.5F}, 1)}), '<');
  EXPECT_EQ(predicate({example({0.999999F}, 0)}), '<');
  EXPECT_EQ(predicate({example({-0.0F}, 0)}), '=');
  // A value missing from a short example reads as NaN; a wider example's
  // further values are not read.
  EXPECT_EQ(predicate({example({0, 1}, 0), example({1}, 1)}), '<');
  EXPECT_EQ(predicate({example({0}, 0), example({1, 0.5F}, 1)}), '=');
}

TEST_F(SplitSearch, OtherValuesTakeTheUpperValueOfTheCutAsThreshold) {
  Folded folded({example({0.9F}, 1), example({0.1F}, 0), example({0.6F}, 1), example({0.3F}, 0)});
  const RowSet set = folded.all();
  prepare(set);
  EXPECT_EQ(builder.pred, '<');
  EXPECT_EQ(midpoint(0.3F, 0.6F), 0.450000018F);
  EXPECT_EQ(cutsOn(set, 0), (Cuts{{0.450000018F}, {1}}));
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds[0], 0.600000024F);
  EXPECT_EQ(builder.chooseAttribute(majority), 0U);
  EXPECT_EQ(builder.gains[0], 0.5F);
  // The midpoint of the cut would have sent both classes apart and scored 0.
  EXPECT_EQ(scoreAt(set, 0, 0.450000018F), 0.0F);

  Folded failing({example({0.1F}, 0), example({0.6F}, 1), example({0.3F}, 0)});
  prepare(failing.all());
  builder.findThresholds(majority, failing.all());
  EXPECT_EQ(builder.thresholds[0], 0.600000024F);
}

TEST_F(SplitSearch, ThreeInputAndScoresAboveOne) {
  ExampleSet examples =
      allCombinations(3, [](const std::vector<float>& v) { return v[0] + v[1] + v[2] == 3; });
  std::reverse(examples.begin(), examples.end());
  Folded folded(examples);
  const RowSet set = folded.all();
  prepare(set);
  for (std::uint32_t i = 0; i < 3; ++i) EXPECT_EQ(cutsOn(set, i), (Cuts{{1}, {6}}));
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds, (std::vector<float>{1, 1, 1}));
  EXPECT_EQ(builder.chooseAttribute(majority), 0U);
  EXPECT_EQ(builder.gains, (std::vector<float>(3, 1.58596563F)));
}
