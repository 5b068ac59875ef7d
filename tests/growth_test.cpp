#include <gtest/gtest.h>

#include "induction/tree_builder.h"
#include "learner/learner.h"
#include "support/describe.h"
#include "support/examples.h"

namespace {

std::string learnt(ExampleSet set) {
  Learner learner;
  learner.examples = std::move(set);
  learner.learn();
  return describe(learner.root.get());
}

std::string learnOutput(Learner& learner) {
  ::testing::internal::CaptureStdout();
  learner.learn();
  return ::testing::internal::GetCapturedStdout();
}

const char* const andTree = "(= 0 1 0 (= 1 1 0 (= 0 0 1) (= 0 0 0)) (= 0 0 0))";

}  // namespace

TEST(Growth, TwoInputAnd) {
  EXPECT_EQ(learnt({example({0, 0}, 0), example({0, 1}, 0), example({1, 0}, 0), example({1, 1}, 1)}),
            andTree);
}

TEST(Growth, TwoInputXorTestsTheSecondAttributeOnBothSides) {
  EXPECT_EQ(learnt({example({0, 0}, 0), example({0, 1}, 1), example({1, 0}, 1), example({1, 1}, 0)}),
            "(= 0 0 0 (= 1 1 0 (= 0 0 1) (= 0 0 0)) (= 1 1 0 (= 0 0 0) (= 0 0 1)))");
}

TEST(Growth, APureSetIsALeafWithoutATest) {
  EXPECT_EQ(learnt({example({1, 0}, 1), example({0, 1}, 1)}), "(= 0 0 1)");
  EXPECT_EQ(learnt({example({0.5F}, 0)}), "(< 0 0 0)");
}

TEST(Growth, ASetWithoutAttributesIsAMajorityLeaf) {
  EXPECT_EQ(learnt({example({}, 1), example({}, 0), example({}, 1)}), "(= 0 0 1)");
}

TEST(Growth, AnUnsplittableTieIsALeafOfClassZero) {
  EXPECT_EQ(learnt({example({1, 0}, 1), example({1, 0}, 0)}), "(= 0 0 0)");
}

TEST(Growth, ExamplesOfDifferentWidthsScoreOnlyTheAttributesSearched) {
  // One attribute, from the short first example; the threshold search puts
  // the wider example first, whose second value was never searched.
  EXPECT_EQ(learnt({example({1}, 0), example({0, 1}, 1)}), "(= 0 1 0 (= 0 0 0) (= 0 0 1))");
}

TEST(Growth, ClassifiesEveryTrainingExampleAsItWasLabelled) {
  for (const char fitness : {'|', '^', '&'}) {
    ExampleSet set = allCombinations(2, [fitness](const std::vector<float>& v) {
      const bool a = v[0] != 0;
      const bool b = v[1] != 0;
      return fitness == '|' ? a || b : fitness == '^' ? a != b : a && b;
    });
    Learner learner;
    learner.examples = set;
    learner.learn();
    for (const Example& e : set) EXPECT_EQ(learner.classify(e.values), e.classValue) << fitness;
  }
}

TEST(Learn, EmptiesTheTrainingSetAfterSuccess) {
  Learner learner;
  learner.examples = {example({0, 0}, 0), example({0, 1}, 0), example({1, 0}, 0), example({1, 1}, 1)};
  EXPECT_EQ(learnOutput(learner), "");
  EXPECT_TRUE(learner.examples.empty());
  EXPECT_EQ(describe(learner.root.get()), andTree);
}

TEST(Learn, WithNoExamplesKeepsTheTreeAndPrintsNothing) {
  Learner learner;
  learner.examples = {example({1, 1}, 1), example({0, 1}, 0), example({1, 0}, 0), example({0, 0}, 0)};
  learner.learn();
  const TreeNode* before = learner.root.get();
  EXPECT_EQ(learnOutput(learner), "");
  EXPECT_EQ(learner.root.get(), before);
  EXPECT_EQ(describe(learner.root.get()), andTree);

  Learner empty;
  EXPECT_EQ(learnOutput(empty), "");
  EXPECT_EQ(empty.root, nullptr);
}

TEST(Learn, ReportsAGrowthFailureAndKeepsThePartialTree) {
  Learner learner;
  learner.examples = {example({0.1F}, 0), example({0.3F}, 0), example({0.6F}, 1), example({0.9F}, 1)};
  EXPECT_EQ(learnOutput(learner), "Illegal C4.5 Tree structure.\n");
  EXPECT_EQ(learner.examples.size(), 4U);
  const std::string partial = "(< 0 0.6 0 (< 0 0 1) (< 0 0.6 0 (0 0 0 0) (0 0 0 0)))";
  EXPECT_EQ(describe(learner.root.get()), partial);
  // The next learn frees the partial tree and, from the same examples,
  // fails the same way.
  EXPECT_EQ(learnOutput(learner), "Illegal C4.5 Tree structure.\n");
  EXPECT_EQ(describe(learner.root.get()), partial);
}
