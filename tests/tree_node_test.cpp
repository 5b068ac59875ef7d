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

}  // namespace

// Whether `value` passes under '=' and under every other predicate.
TEST(PassesTest, EqualityIsExactAndEveryOtherPredicateStrictlyGreater) {
  const struct {
    float value;
    float caseValue;
    bool equal;
    bool greater;
  } cases[] = {
      {1.0F, 1.0F, true, false},        {std::nextafter(1.0F, 2.0F), 1.0F, false, true},
      {-0.0F, 0.0F, true, false},       {notANumber, notANumber, false, false},
      {0.7F, 0.6F, false, true},        {0.6F, 0.6F, true, false},
      {0.5F, 0.6F, false, false},       {notANumber, 0.6F, false, false},
      {0.7F, notANumber, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(passesTest('=', c.value, c.caseValue), c.equal) << c.value << " = " << c.caseValue;
    for (const char pred : {'<', '>', '\0', '#'})
      EXPECT_EQ(passesTest(pred, c.value, c.caseValue), c.greater) << c.value << ' ' << pred << c.caseValue;
  }
}

// A value that passes goes left; NaN and a value the example lacks pass no
// test. A node with one child answers for the side that is missing.
TEST(Classify, WalksFromTheRootToALeaf) {
  // x1 = 1 and x2 > 0.5
  const auto both = test('=', 0, 1.0F, test('<', 1, 0.5F, leaf(1), leaf(0)), leaf(0));
  const auto third = test('=', 2, 1.0F, leaf(1), leaf(0));
  const auto far = test('<', 0xFFFFFFFFU, -1.0F, leaf(0), leaf(1));
  auto onlyLeft = test('=', 0, 1.0F, leaf(1), nullptr);
  auto onlyRight = test('=', 0, 1.0F, nullptr, leaf(0));
  onlyRight->leafClass = 1;
  const auto zero = leaf(0);
  const auto one = leaf(1);
  const struct {
    const char* what;
    const TreeNode* tree;
    std::vector<float> values;
    int answer;
  } cases[] = {
      {"no tree", nullptr, {}, 1},
      {"no tree", nullptr, {0, 0}, 1},
      {"a leaf reads no value", zero.get(), {}, 0},
      {"a leaf reads no value", one.get(), {}, 1},
      {"both pass", both.get(), {1, 0.75F}, 1},
      {"x2 fails", both.get(), {1, 0.5F}, 0},
      {"x1 fails", both.get(), {0, 0.75F}, 0},
      {"a further value", both.get(), {1, 0.75F, 123.0F}, 1},
      {"NaN", both.get(), {notANumber, 0.75F}, 0},
      {"a missing value", third.get(), {1, 1}, 0},
      {"the largest index", far.get(), {}, 1},
      {"only a left child, taken", onlyLeft.get(), {1}, 1},
      {"only a left child, missing", onlyLeft.get(), {0}, 0},
      {"only a right child, missing", onlyRight.get(), {1}, 1},
      {"only a right child, taken", onlyRight.get(), {0}, 0},
  };
  for (const auto& c : cases) {
    const int answer = c.tree != nullptr ? c.tree->classify(c.values) : Learner{}.classify(c.values);
    EXPECT_EQ(answer, c.answer) << c.what;
  }
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
  // A chain down the right side, ending in a leaf of class 1.
  auto root = leaf(1);
  for (std::size_t i = 1; i < levels; ++i) root = test('=', 0, 5.0F, leaf(0), std::move(root));
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
