#include "tree/tree_node.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

#include "learner/learner.h"
#include "tree/tree_walk.h"

namespace {

const float notANumber = std::numeric_limits<float>::quiet_NaN();

std::unique_ptr<TreeNode> leaf(std::uint8_t leafClass) {
  auto node = std::make_unique<TreeNode>();
  node->leafClass = leafClass;
  return node;
}

std::unique_ptr<TreeNode> test(char pred, std::uint32_t index, float value, std::unique_ptr<TreeNode> left,
                               std::unique_ptr<TreeNode> right) {
  auto node = std::make_unique<TreeNode>();
  node->pred = pred;
  node->caseIndex = index;
  node->caseValue = value;
  node->left = std::move(left);
  node->right = std::move(right);
  return node;
}

// A chain that goes right at every level, ending in a leaf of class 1.
std::unique_ptr<TreeNode> chain(std::size_t levels) {
  auto root = leaf(1);
  for (std::size_t i = 1; i < levels; ++i) root = test('=', 0, 5.0F, leaf(0), std::move(root));
  return root;
}

}  // namespace

TEST(PassesTest, EqualityMatchesOnlyTheExactValue) {
  EXPECT_TRUE(passesTest('=', 1.0F, 1.0F));
  EXPECT_FALSE(passesTest('=', std::nextafter(1.0F, 2.0F), 1.0F));
  EXPECT_TRUE(passesTest('=', -0.0F, 0.0F));
  EXPECT_FALSE(passesTest('=', notANumber, notANumber));
}

TEST(PassesTest, EveryOtherPredicateIsStrictlyGreater) {
  for (const char pred : {'<', '>', '\0', '#'}) {
    EXPECT_TRUE(passesTest(pred, 0.7F, 0.6F)) << pred;
    EXPECT_FALSE(passesTest(pred, 0.6F, 0.6F)) << pred;
    EXPECT_FALSE(passesTest(pred, 0.5F, 0.6F)) << pred;
    EXPECT_FALSE(passesTest(pred, notANumber, 0.6F)) << pred;
    EXPECT_FALSE(passesTest(pred, 0.7F, notANumber)) << pred;
  }
}

TEST(Classify, WithoutATreeEveryAnswerIsOne) {
  const Learner learner;
  EXPECT_EQ(learner.classify(std::vector<float>{}), 1);
  EXPECT_EQ(learner.classify(std::vector<float>{0, 0}), 1);
}

TEST(Classify, ALeafAnswersWithoutReadingAValue) {
  Learner learner;
  learner.root = std::make_unique<TreeNode>();
  EXPECT_EQ(learner.classify(std::vector<float>{}), 0);
  learner.root = leaf(1);
  EXPECT_EQ(learner.classify(std::vector<float>{}), 1);
}

TEST(Classify, FollowsTheTestsDownToALeaf) {
  // x1 = 1 and x2 > 0.5
  const auto root = test('=', 0, 1.0F, test('<', 1, 0.5F, leaf(1), leaf(0)), leaf(0));
  EXPECT_EQ(root->classify(std::vector<float>{1, 0.75F}), 1);
  EXPECT_EQ(root->classify(std::vector<float>{1, 0.5F}), 0);
  EXPECT_EQ(root->classify(std::vector<float>{0, 0.75F}), 0);
  EXPECT_EQ(root->classify(std::vector<float>{1, 0.75F, 123.0F}), 1);
  EXPECT_EQ(root->classify(std::vector<float>{notANumber, 0.75F}), 0);
}

TEST(Classify, AMissingValueGoesRight) {
  const auto root = test('=', 2, 1.0F, leaf(1), leaf(0));
  EXPECT_EQ(root->classify(std::vector<float>{1, 1}), 0);
  const auto far = test('<', 0xFFFFFFFFU, -1.0F, leaf(0), leaf(1));
  EXPECT_EQ(far->classify(std::vector<float>{}), 1);
}

TEST(Classify, ANodeWithOneChildAnswersForTheMissingSide) {
  auto onlyLeft = test('=', 0, 1.0F, leaf(1), nullptr);
  onlyLeft->leafClass = 0;
  EXPECT_EQ(onlyLeft->classify(std::vector<float>{1}), 1);
  EXPECT_EQ(onlyLeft->classify(std::vector<float>{0}), 0);
  auto onlyRight = test('=', 0, 1.0F, nullptr, leaf(0));
  onlyRight->leafClass = 1;
  EXPECT_EQ(onlyRight->classify(std::vector<float>{1}), 1);
  EXPECT_EQ(onlyRight->classify(std::vector<float>{0}), 0);
}

TEST(TreeNode, ADeepChainIsWalkedAndFreedWithoutRecursion) {
  constexpr std::size_t levels = 1000000;
  // Every step of a pre-order walk, each as "depth branch last", checked
  // against `expected(i)` for the i-th step; answers the number of steps.
  using Step = std::tuple<std::size_t, Branch, bool>;
  const auto walk = [](const TreeNode& root, const auto& expected) {
    std::size_t steps = 0;
    bool failed = false;
    walkPreOrder(root, [&](const WalkStep& step) {
      if (!failed && Step{step.depth, step.branch, step.last} != expected(steps)) {
        failed = true;
        ADD_FAILURE() << "step " << steps << " is at depth " << step.depth;
      }
      ++steps;
      return true;
    });
    return steps;
  };
  auto root = chain(levels);
  EXPECT_EQ(root->classify(std::vector<float>{0}), 1);
  EXPECT_EQ(root->classify(std::vector<float>{5}), 0);
  // Each level's yes leaf, then its no side.
  EXPECT_EQ(walk(*root,
                 [](std::size_t i) {
                   if (i == 0) return Step{0, Branch::root, true};
                   return Step{(i + 1) / 2, i % 2 == 1 ? Branch::yes : Branch::no, i % 2 == 0};
                 }),
            2 * levels - 1);
  root.reset();
  // A chain down the left side as well: the tests, then the no leaves from
  // the deepest back up.
  auto left = leaf(1);
  for (std::size_t i = 1; i < levels; ++i) left = test('=', 0, 5.0F, std::move(left), leaf(0));
  EXPECT_EQ(left->classify(std::vector<float>{5}), 1);
  EXPECT_EQ(walk(*left,
                 [](std::size_t i) {
                   if (i == 0) return Step{0, Branch::root, true};
                   if (i < levels) return Step{i, Branch::yes, false};
                   return Step{2 * levels - 1 - i, Branch::no, true};
                 }),
            2 * levels - 1);
}
