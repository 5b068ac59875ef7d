#include "induction/entropy.h"

#include <gtest/gtest.h>

#include <cmath>

// Floats are compared for equality throughout: nine significant digits name
// one float exactly, and the scores must match to the last bit.

TEST(LogTwo, DividesByLogTenOfTwoAsAFloat) { EXPECT_EQ(logTwoDivisor(), 0.30103001F); }

TEST(LogTwo, IsExactAtPowersOfTwo) {
  EXPECT_EQ(logTwo(1.0F), 0.0F);
  EXPECT_EQ(logTwo(0.5F), -1.0F);
  EXPECT_EQ(logTwo(0.25F), -2.0F);
  EXPECT_EQ(logTwo(2.0F), 1.0F);
}

TEST(LogTwo, KeepsTheLastBitOfTheBaseTenRatio) {
  // One unit in the last place away from the correctly rounded base-2
  // logarithm, -0.415037513 and -0.584962487.
  EXPECT_EQ(logTwo(0.75F), -0.415037483F);
  EXPECT_EQ(logTwo(static_cast<float>(2.0 / 3.0)), -0.584962428F);
  EXPECT_NE(logTwo(0.75F), static_cast<float>(std::log2(0.75)));
}

TEST(LogFactor, MakesAZeroShareContributeNothing) {
  EXPECT_EQ(logFactor(0.0F), 1.0F);
  EXPECT_EQ(logFactor(-0.5F), 0.0F);
  EXPECT_EQ(logFactor(0.5F), -1.0F);
  EXPECT_EQ(entropyCore(0.0, 1.0), 0.0);
}

TEST(TwoWayEntropy, MatchesTheQuotedFigures) {
  EXPECT_EQ(twoWayEntropy(3.0F, 4.0F), 0.811278105F);
  EXPECT_EQ(twoWayEntropy(1.0F, 4.0F), 0.811278105F);
  EXPECT_EQ(twoWayEntropy(2.0F, 4.0F), 1.0F);
  EXPECT_EQ(twoWayEntropy(4.0F, 4.0F), 0.0F);
}

TEST(ClassSplitEntropy, WeighsTheOutcomeEntropyByClassShare) {
  EXPECT_EQ(classSplitEntropy(3.0F, 4.0F, 1.0F), 0.688721776F);
  EXPECT_EQ(classSplitEntropy(2.0F, 4.0F, 1.0F), 0.5F);
}

TEST(ClassSplitEntropy, IsNegativeZeroForAClassThatGoesOneWay) {
  const float allPass = classSplitEntropy(1.0F, 4.0F, 1.0F);
  const float nonePass = classSplitEntropy(3.0F, 4.0F, 0.0F);
  EXPECT_EQ(allPass, 0.0F);
  EXPECT_TRUE(std::signbit(allPass));
  EXPECT_EQ(nonePass, 0.0F);
  EXPECT_TRUE(std::signbit(nonePass));
}
