#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "induction/tree_builder.h"
#include "learner/learner.h"
#include "support/examples.h"

namespace {

using Pairs = std::vector<std::pair<float, int>>;
using Cuts = std::pair<std::vector<float>, std::vector<std::uint32_t>>;

// A builder prepared for one set as tree growth prepares it: classes
// counted, predicate chosen.
struct SplitSearch : ::testing::Test {
  Learner learner;
  TreeBuilder builder{learner, {false, true}};
  std::uint32_t majority = 0;

  void prepare(const ExampleSet& set) {
    majority = builder.majorityClass(set);
    builder.pred = builder.choosePredicate(set);
  }

  static ExampleSet sortedBy(ExampleSet set, std::uint32_t attribute) {
    sortAttribute = attribute;
    std::sort(set.begin(), set.end(), AttributeOrder{});
    return set;
  }

  static Pairs sortedOn(const ExampleSet& set, std::uint32_t attribute) {
    return pairsOf(sortedBy(set, attribute), attribute);
  }

  // The candidate cuts of one attribute: midpoints and their positions.
  static Cuts cutsOn(const ExampleSet& set, std::uint32_t attribute) {
    Cuts cuts;
    findCandidates(sortedBy(set, attribute), attribute, cuts.first, cuts.second);
    return cuts;
  }
};

// Given out of order, so that a search that relied on sorted input fails.
ExampleSet andSet() {
  return {example({1, 1}, 1), example({0, 1}, 0), example({1, 0}, 0), example({0, 0}, 0)};
}

}  // namespace

TEST_F(SplitSearch, TwoInputAndScoresBothAttributesAlikeAndTakesTheFirst) {
  ExampleSet set = andSet();
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
  EXPECT_EQ(builder.chooseAttribute(majority, set), 0U);
  EXPECT_EQ(builder.gains, (std::vector<float>{0.848934233F, 0.848934233F}));
}

TEST_F(SplitSearch, TwoInputXorKeepsTheEarliestOfEqualCandidates) {
  ExampleSet set{example({1, 1}, 0), example({1, 0}, 1), example({0, 1}, 1), example({0, 0}, 0)};
  prepare(set);
  EXPECT_EQ(majority, 0U);
  EXPECT_EQ(sortedOn(set, 0), (Pairs{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
  EXPECT_EQ(cutsOn(set, 0), (Cuts{{0, 0.5F, 1}, {0, 1, 2}}));
  EXPECT_EQ(builder.splitScore(majority, 0, 0.0F, set), 1.0F);
  EXPECT_EQ(builder.splitScore(majority, 0, 0.5F, set), 0.0F);
  EXPECT_EQ(builder.splitScore(majority, 0, 1.0F, set), 1.0F);
  EXPECT_EQ(builder.bestCandidate(majority, 0, {0.0F, 0.5F, 1.0F}, set), 0U);

  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds[0], 0.0F);
  EXPECT_EQ(builder.chooseAttribute(majority, set), 0U);
  EXPECT_EQ(builder.gains, (std::vector<float>{1, 1}));
}

TEST_F(SplitSearch, TwoInputOrHasClassOneAsMajority) {
  ExampleSet set{example({1, 0}, 1), example({0, 0}, 0), example({1, 1}, 1), example({0, 1}, 1)};
  prepare(set);
  EXPECT_EQ(majority, 1U);
  EXPECT_EQ(cutsOn(set, 0), (Cuts{{0}, {0}}));
  EXPECT_EQ(cutsOn(set, 1), (Cuts{{0}, {0}}));
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds, (std::vector<float>{0, 0}));
  EXPECT_EQ(builder.chooseAttribute(majority, set), 0U);
  EXPECT_EQ(builder.gains, (std::vector<float>{0.848934233F, 0.848934233F}));
}

TEST_F(SplitSearch, EqualValuesSortClassZeroFirst) {
  ExampleSet set{example({0}, 1), example({0}, 0), example({1}, 0)};
  prepare(set);
  EXPECT_EQ(sortedOn(set, 0), (Pairs{{0, 0}, {0, 1}, {1, 0}}));
  EXPECT_EQ(cutsOn(set, 0), (Cuts{{0, 0.5F}, {0, 1}}));
  EXPECT_EQ(builder.splitScore(majority, 0, 0.0F, set), 0.725982547F);
  EXPECT_EQ(builder.splitScore(majority, 0, 0.5F, set), 0.0F);
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds[0], 0.0F);
}

TEST_F(SplitSearch, AnAttributeWithOneValueIsNotScored) {
  ExampleSet set{example({0}, 1), example({0}, 0)};
  prepare(set);
  EXPECT_EQ(builder.gains, (std::vector<float>{unusableGain}));
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds[0], 0.0F);
  EXPECT_EQ(builder.chooseAttribute(majority, set), noIndex);
  EXPECT_EQ(builder.gains[0], unusableGain);
}

TEST_F(SplitSearch, ASingleExampleMakesEveryAttributeUnusable) {
  prepare({example({0, 1, 0.5F}, 1)});
  EXPECT_EQ(builder.gains, (std::vector<float>(3, unusableGain)));
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
  EXPECT_EQ(predicateFor(ExampleSet{}), '=');
  EXPECT_EQ(predicateFor({example({0, 1}, 0), example({1, 1}, 1)}), '=');
  EXPECT_EQ(predicateFor({example({0, 1}, 0), example({1, 0.5F}, 1)}), '<');
  EXPECT_EQ(predicateFor({example({0.999999F}, 0)}), '<');
  EXPECT_EQ(predicateFor({example({-0.0F}, 0)}), '=');
}

TEST_F(SplitSearch, OtherValuesTakeTheUpperValueOfTheCutAsThreshold) {
  ExampleSet set{example({0.9F}, 1), example({0.1F}, 0), example({0.6F}, 1), example({0.3F}, 0)};
  prepare(set);
  EXPECT_EQ(builder.pred, '<');
  EXPECT_EQ(midpoint(0.3F, 0.6F), 0.450000018F);
  EXPECT_EQ(cutsOn(set, 0), (Cuts{{0.450000018F}, {1}}));
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds[0], 0.600000024F);
  EXPECT_EQ(builder.chooseAttribute(majority, set), 0U);
  EXPECT_EQ(builder.gains[0], 0.5F);
  // The midpoint of the cut would have sent both classes apart and scored 0.
  EXPECT_EQ(builder.splitScore(majority, 0, 0.450000018F, set), 0.0F);

  ExampleSet failing{example({0.1F}, 0), example({0.6F}, 1), example({0.3F}, 0)};
  prepare(failing);
  builder.findThresholds(majority, failing);
  EXPECT_EQ(builder.thresholds[0], 0.600000024F);
}

TEST_F(SplitSearch, ThreeInputAndScoresAboveOne) {
  ExampleSet set = allCombinations(3, [](const std::vector<float>& v) { return v[0] + v[1] + v[2] == 3; });
  std::reverse(set.begin(), set.end());
  prepare(set);
  for (std::uint32_t i = 0; i < 3; ++i) EXPECT_EQ(cutsOn(set, i), (Cuts{{1}, {6}}));
  builder.findThresholds(majority, set);
  EXPECT_EQ(builder.thresholds, (std::vector<float>{1, 1, 1}));
  EXPECT_EQ(builder.chooseAttribute(majority, set), 0U);
  EXPECT_EQ(builder.gains, (std::vector<float>(3, 1.58596563F)));
}

TEST(AttributeOrder, PutsNaNAfterEveryNumber) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  ExampleSet set{example({nan}, 0), example({1}, 1), example({nan}, 1), example({-1}, 0), example({0}, 1)};
  for (int i = 0; i < 50; ++i) set.push_back(example({i % 3 == 0 ? nan : static_cast<float>(i % 5)}, i % 2));
  sortAttribute = 0;
  std::sort(set.begin(), set.end(), AttributeOrder{});
  const auto firstNaN =
      std::find_if(set.begin(), set.end(), [](const Example& e) { return std::isnan(e.values[0]); });
  EXPECT_TRUE(std::all_of(firstNaN, set.end(), [](const Example& e) { return std::isnan(e.values[0]); }));
  EXPECT_TRUE(std::is_sorted(set.begin(), set.end(), AttributeOrder{}));
}
