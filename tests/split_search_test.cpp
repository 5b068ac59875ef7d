#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

#include "induction/tree_builder.h"
#include "support/examples.h"

namespace {

using Pairs = std::vector<std::pair<float, int>>;

// A builder prepared for a set as the growth prepares it: classes counted,
// predicate chosen.
struct Prepared {
  Folded folded;
  TreeBuilder builder{{false, true}};
  std::uint32_t majority;

  explicit Prepared(const ExampleSet& set) : folded(set), majority(builder.majorityClass(folded.all())) {
    builder.pred = builder.choosePredicate(folded.all());
  }
};

// The sorted (value, class) pairs of a column, one for each example.
Pairs pairsOf(const SortedColumn& column) {
  Pairs pairs;
  for (std::size_t e = 0; e < column.values.size(); ++e) {
    const std::uint64_t count =
        column.from[e][0] - column.from[e + 1][0] + column.from[e][1] - column.from[e + 1][1];
    pairs.insert(pairs.end(), count, {column.values[e], column.classes[e]});
  }
  return pairs;
}

const float unusable = unusableGain;

}  // namespace

// The worked examples, each given out of order: x1's sorted pairs, its cuts
// (the midpoints, and the entries below them) and the scores of the cuts (a
// lone cut is taken unscored); then every attribute's threshold and score,
// and the attribute chosen.
TEST(SplitSearch, WorkedExamples) {
  const struct {
    const char* what;
    ExampleSet set;
    std::uint32_t majority;
    Pairs x1;
    std::vector<float> cuts;
    std::vector<std::uint32_t> below;
    std::vector<float> scores;
    std::vector<float> thresholds;
    std::vector<float> gains;
    std::uint32_t chosen;
  } cases[] = {
      {"and: equal scores, the first attribute", conceptExamples('&'), 0, {{0, 0}, {0, 0}, {1, 0}, {1, 1}},
       {1}, {2}, {}, {1, 1}, {0.848934233F, 0.848934233F}, 0},
      {"xor: the earliest of equal cuts", conceptExamples('^'), 0, {{0, 0}, {0, 1}, {1, 0}, {1, 1}},
       {0, 0.5F, 1}, {0, 1, 2}, {1, 0, 1}, {0, 0}, {1, 1}, 0},
      {"or: class 1 the majority", conceptExamples('|'), 1, {{0, 0}, {0, 1}, {1, 1}, {1, 1}},
       {0}, {0}, {}, {0, 0}, {0.848934233F, 0.848934233F}, 0},
      {"equal values, class 0 first", {example({0}, 1), example({0}, 0), example({1}, 0)}, 0,
       {{0, 0}, {0, 1}, {1, 0}}, {0, 0.5F}, {0, 1}, {0.725982547F, 0}, {0}, {0.725982547F}, 0},
      {"other values: the upper value of the cut",
       {example({0.9F}, 1), example({0.1F}, 0), example({0.6F}, 1), example({0.3F}, 0)}, 0,
       {{0.1F, 0}, {0.3F, 0}, {0.6F, 1}, {0.9F, 1}}, {0.450000018F}, {1}, {}, {0.600000024F}, {0.5F}, 0},
      {"three-input and: above one", conceptExamples('*'), 0,
       {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 1}}, {1}, {6}, {}, {1, 1, 1},
       {1.58596563F, 1.58596563F, 1.58596563F}, 0},
      {"one value: not scored", {example({0}, 1), example({0}, 0)}, 0, {{0, 0}, {0, 1}}, {0}, {0}, {}, {0},
       {unusable}, noIndex},
      {"one example: no cut", {example({0, 1, 0.5F}, 1)}, 1, {{0, 1}}, {}, {}, {}, {0, 0, 0},
       {unusable, unusable, unusable}, noIndex},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Prepared prepared(c.set);
    TreeBuilder& builder = prepared.builder;
    EXPECT_EQ(prepared.majority, c.majority);
    SortedColumn x1;
    sortColumn(prepared.folded.all(), 0, x1);
    EXPECT_EQ(pairsOf(x1), c.x1);
    std::vector<float> cuts;
    std::vector<std::uint32_t> below;
    findCandidates(x1, cuts, below);
    EXPECT_EQ(cuts, c.cuts);
    EXPECT_EQ(below, c.below);
    std::vector<float> scores;
    builder.bestCandidate(prepared.majority, cuts, x1, &scores);
    EXPECT_EQ(scores, c.scores);
    builder.findThresholds(prepared.majority, prepared.folded.all());
    EXPECT_EQ(builder.thresholds, c.thresholds);
    EXPECT_EQ(builder.chooseAttribute(prepared.majority), c.chosen);
    EXPECT_EQ(builder.gains, c.gains);
  }
}

// Equality is tested only where every value is 0 or 1; an attribute is
// scored (0 until it is) only where its values differ from example to
// example. The width is the first example's: a missing value reads as NaN,
// which differs even from another NaN.
TEST(SplitSearch, ChoosesThePredicateAndTheAttributesThatCanSplit) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    const char* what;
    ExampleSet set;
    char pred;
    const char* usable;
  } cases[] = {
      {"no examples", {}, '=', ""},
      {"0 and 1", {example({0, 1}, 0), example({1, 1}, 1)}, '=', "yn"},
      {"another value", {example({0, 1}, 0), example({1, 0.5F}, 1)}, '<', "yy"},
      {"close to 1", {example({0.999999F}, 0)}, '<', "n"},
      {"-0.0", {example({-0.0F}, 0)}, '=', "n"},
      {"a missing value", {example({0, 1}, 0), example({1}, 1)}, '<', "yy"},
      {"a value beyond the width", {example({0}, 0), example({1, 0.5F}, 1)}, '=', "y"},
      {"one example", {example({0, 1, 0.5F}, 1)}, '<', "nnn"},
      {"two examples in one row", {example({0, nan}, 1), example({0, nan}, 1)}, '<', "ny"},
  };
  for (const auto& c : cases) {
    const Prepared prepared(c.set);
    std::string usable;
    for (const float gain : prepared.builder.gains)
      usable += gain == unusable ? 'n' : gain == 0.0F ? 'y' : '?';
    EXPECT_EQ(prepared.builder.pred, c.pred) << c.what;
    EXPECT_EQ(usable, c.usable) << c.what;
  }
}

TEST(SplitSearch, BestGainPrefersUsableAttributesThenTheHighestThenTheLowestIndex) {
  const std::pair<std::vector<float>, std::uint32_t> cases[] = {{{unusable, 0.0F}, 1},
                                                                {{unusable, unusable}, noIndex},
                                                                {{}, noIndex},
                                                                {{0.5F, 0.5F}, 0},
                                                                {{0.25F, 0.5F, 0.5F}, 1}};
  TreeBuilder builder({false, true});
  for (const auto& [gains, best] : cases) {
    builder.gains = gains;
    EXPECT_EQ(builder.bestGainIndex(), best) << ::testing::PrintToString(gains);
  }
}
