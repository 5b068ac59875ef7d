// Textbook C4.5's figures, which --compare sets beside the method's.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

#include "tools/explain/textbook.h"

TEST(Textbook, CutsBetweenDistinctValuesAtTheFirstHighestGainAndWorksOutItsFigures) {
  const struct {
    std::vector<float> values;  // out of order, one example each
    std::vector<std::uint8_t> classes;
    float threshold;
    double gain, splitInformation, gainRatio;
  } cases[] = {
      // Three-input and's x1: the method's one cut parts the 1s, as no test does.
      {{0, 1, 0, 1, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 1}, 0, 0.137925381, 1, 0.137925381},
      // It stands for the cuts at both ends of their run; the upper gains more.
      {{3, 1, 0, 2, 1, 2}, {1, 1, 0, 1, 0, 1}, 1, 0.459147917, 1, 0.459147917},
      // Equal gains at 0 and 1.
      {{2, 1, 0}, {0, 1, 0}, 0, 0.251629167, 0.918295834, 0.274017542},
      // Mirrored cuts, 2 against 9 and 9 against 2, whose gains differ in
      // their last bits: the first still wins.
      {{1, 2, 1, 0, 1, 1, 2, 1, 0, 1, 1},
       {1, 1, 1, 0, 1, 1, 0, 1, 1, 1, 1},
       0,
       0.0904634345,
       0.684038436,
       0.132249052},
      // Class 2 is counted nowhere, so every example counted is on one side.
      {{0, 1}, {2, 0}, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const RowTable table{1, c.values, c.classes, std::vector<std::uint64_t>(c.classes.size(), 1)};
    std::vector<std::uint32_t> rows(table.rows());
    std::iota(rows.begin(), rows.end(), 0U);
    SortedColumn column;
    sortColumn(RowSet{&table, rows}, 0, column);
    std::vector<float> candidates;
    std::vector<std::uint32_t> positions;
    findCandidates(column, candidates, positions);
    const TextbookCut cut = bestTextbookCut(column, positions).value();
    EXPECT_EQ(cut.threshold, c.threshold) << c.gain;
    EXPECT_NEAR(cut.figures.gain, c.gain, 5e-10);
    EXPECT_NEAR(cut.figures.splitInformation, c.splitInformation, 5e-10);
    EXPECT_NEAR(cut.figures.gainRatio, c.gainRatio, 5e-10) << c.gain;
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
      // Ratios equal but for their last bits, as mirrored cuts give them.
      {{cut(0.3, 0.5), cut(0.3, std::nextafter(0.5, 1.0))}, 0},
      // An attribute without a cut is not counted: the average is 0.15.
      {{std::nullopt, cut(0.2, 0.1), cut(0.1, 0.9)}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(quinlanChoice(c.cuts).attribute, c.chosen) << c.chosen;
}
