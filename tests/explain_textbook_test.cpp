// Textbook C4.5's figures, which --compare sets beside the method's.
#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <utility>
#include <vector>

#include "induction/tree_builder.h"
#include "tools/explain/textbook.h"

TEST(Textbook, WorksOutTheFiguresOfABinarySplitInBits) {
  const struct {
    ClassTally below, above;
    double gain, splitInformation, gainRatio;
  } splits[] = {
      {{4, 0}, {3, 1}, 0.137925381, 1, 0.137925381},  // three-input and at x1 <= 0
      {{0, 2}, {2, 0}, 1, 1, 1},
      {{1, 1}, {1, 1}, 0, 1, 0},
      {{7, 0}, {0, 1}, 0.543564443, 0.543564443, 1},
      {{0, 0}, {3, 1}, 0, 0, 0},  // every example on one side: no ratio
  };
  for (const auto& s : splits) {
    const TextbookFigures figures = textbookFigures(s.below, s.above);
    EXPECT_NEAR(figures.gain, s.gain, 5e-10) << s.below[0];
    EXPECT_NEAR(figures.splitInformation, s.splitInformation, 5e-10) << s.below[0];
    EXPECT_NEAR(figures.gainRatio, s.gainRatio, 5e-10) << s.below[0];
  }
}

namespace {

// The cut textbook C4.5 makes of (value, class) examples given out of order,
// from the method's sorted column and candidate cuts.
std::optional<TextbookCut> textbookCutOf(const std::vector<std::pair<float, std::uint8_t>>& examples) {
  RowTable table;
  table.width = 1;
  for (const auto& [value, classValue] : examples) {
    table.values.push_back(value);
    table.classes.push_back(classValue);
    table.counts.push_back(1);
  }
  std::vector<std::uint32_t> rows(table.rows());
  std::iota(rows.begin(), rows.end(), 0U);
  SortedColumn column;
  sortColumn(RowSet{&table, rows}, 0, column);
  std::vector<float> candidates;
  std::vector<std::uint32_t> positions;
  findCandidates(column, candidates, positions);
  return bestTextbookCut(column, positions);
}

}  // namespace

TEST(Textbook, CutsBetweenDistinctValuesOnlyAtTheFirstHighestGain) {
  const struct {
    std::vector<std::pair<float, std::uint8_t>> examples;
    float threshold;
    ClassTally below;
  } cases[] = {
      // The method's one cut lies among the 1s, which no test parts.
      {{{1, 1}, {0, 0}, {1, 0}, {0, 0}}, 0, {2, 0}},
      // It stands for the cuts at both ends of the run; the upper gains more.
      {{{3, 1}, {1, 1}, {0, 0}, {2, 1}, {1, 0}, {2, 1}}, 1, {2, 1}},
      // Equal gains at 0 and 1.
      {{{2, 0}, {1, 1}, {0, 0}}, 0, {1, 0}},
  };
  for (const auto& c : cases) {
    const auto cut = textbookCutOf(c.examples);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->threshold, c.threshold);
    EXPECT_EQ(cut->below, c.below);
  }
}

TEST(Textbook, QuinlansRuleTakesTheHighestRatioAmongGainsOfAtLeastTheAverage) {
  const auto cut = [](double gain, double ratio) {
    TextbookCut made;
    made.figures = {gain, 1, ratio};
    return std::optional<TextbookCut>(made);
  };
  const struct {
    std::vector<std::optional<TextbookCut>> cuts;
    std::uint32_t chosen;
  } cases[] = {
      // x2's ratio is the highest, but its gain is below the average, 0.3.
      {{cut(0.4, 0.4), cut(0.1, 0.9), cut(0.4, 0.5)}, 2},
      // Three gains of 0.1 average a last bit above 0.1.
      {{cut(0.1, 0.2), cut(0.1, 0.2), cut(0.1, 0.2)}, 0},
      // An attribute without a cut is not counted: the average is 0.15.
      {{std::nullopt, cut(0.2, 0.1), cut(0.1, 0.9)}, 1},
      {{std::nullopt}, noIndex},
  };
  for (const auto& c : cases) EXPECT_EQ(quinlanChoice(c.cuts).attribute, c.chosen) << c.cuts.size();
}
