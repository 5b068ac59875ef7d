// The program's induction against a plain rendering of the algorithm, on
// thousands of random sets: every tree and message must agree to the bit,
// and a failed learn keeps the training set as it was given.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <limits>
#include <random>

#include "induction/tree_builder.h"
#include "learner/learner.h"
#include "support/reference_induction.h"

namespace {

// Every field of every node, the value by its bits, in pre-order.
std::string shapeOf(const TreeNode* node) {
  if (node == nullptr) return "-";
  std::string text;
  std::vector<const TreeNode*> stack{node};
  char buffer[96];
  while (!stack.empty()) {
    const TreeNode* n = stack.back();
    stack.pop_back();
    std::snprintf(buffer, sizeof buffer, "(%d %u %08x %u %d%d)", n->pred, n->caseIndex,
                  std::bit_cast<std::uint32_t>(n->caseValue), n->leafClass, n->left != nullptr,
                  n->right != nullptr);
    text += buffer;
    if (n->right) stack.push_back(n->right.get());
    if (n->left) stack.push_back(n->left.get());
  }
  return text;
}

// What a learn of `set` grows, and what the workbench's learn would print.
struct Learnt {
  std::unique_ptr<TreeNode> tree;
  std::string printed;
};

Learnt learn(const ExampleSet& set) {
  Growth grown = learnFrom(set);
  return {std::move(grown.tree), grown.failure != nullptr ? std::string(grown.failure) + "\n" : ""};
}

// Random sets of the kinds the induction meets: 0/1 values, a few distinct
// floats, many floats; with NaN, infinities and -0.0 in some.
class SetMaker {
 public:
  explicit SetMaker(std::uint32_t seed) : random_(seed) {}

  ExampleSet make(int kind) {
    const int width = 1 + below(5);
    const int roll = below(100);
    const int size = 1 + (roll < 60 ? below(40) : roll < 92 ? below(300) : below(2000));
    pool_.clear();
    if (kind == 0) {
      pool_ = {0.0F, 1.0F};
      if (below(10) == 0) pool_.push_back(-0.0F);
    } else if (kind == 1) {
      const int count = 2 + below(4);
      for (int i = 0; i < count; ++i) pool_.push_back(someFloat(below(4) == 0));
    }
    const bool specials = below(4) == 0;
    const bool mixedWidths = below(40) == 0;
    const bool oddClasses = below(40) == 0;
    const int labelling = below(4);  // 0: coin, 1-2: a rule with noise, 3: one class
    const int ruleAttribute = below(width);
    ExampleSet set;
    std::vector<float> values;
    for (int e = 0; e < size; ++e) {
      const int w = mixedWidths ? below(width + 1) : width;
      values.clear();
      for (int i = 0; i < w; ++i)
        values.push_back(pool_.empty() ? someFloat(specials && below(20) == 0) : pick());
      std::uint8_t classValue = 1;
      if (labelling == 0) {
        classValue = static_cast<std::uint8_t>(below(2));
      } else if (labelling != 3) {
        const float v = ruleAttribute < w ? values[static_cast<std::size_t>(ruleAttribute)] : 0.0F;
        classValue = static_cast<std::uint8_t>((v > 0.5F) != (below(10) == 0));
      }
      if (oddClasses && below(5) == 0) classValue = static_cast<std::uint8_t>(2 + below(254));
      set.emplace_back(classValue, values);
    }
    return set;
  }

 private:
  int below(int n) { return static_cast<int>(random_() % static_cast<std::uint32_t>(n)); }

  float pick() { return pool_[static_cast<std::size_t>(below(static_cast<int>(pool_.size())))]; }

  float someFloat(bool special) {
    if (special) {
      const float nan = std::numeric_limits<float>::quiet_NaN();
      const float payload = std::bit_cast<float>(0x7FC00123U);
      const float infinity = std::numeric_limits<float>::infinity();
      const float specials[] = {nan, -nan, payload, infinity, -infinity, -0.0F, 0.0F, 1.0F};
      return specials[below(8)];
    }
    // Coarse steps make equal values common, fine ones make them rare.
    const float step = below(2) == 0 ? 0.25F : 1.0F / 4096;
    return static_cast<float>(below(8000) - 4000) * step;
  }

  std::mt19937 random_;
  std::vector<float> pool_;
};

#if defined(__SANITIZE_ADDRESS__)
constexpr int setsPerKind = 500;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int setsPerKind = 500;
#else
constexpr int setsPerKind = 1500;
#endif
#else
constexpr int setsPerKind = 1500;
#endif

}  // namespace

TEST(InductionEquivalence, AgreesWithThePlainAlgorithmOnRandomSets) {
  SetMaker maker(20261207);
  int failures = 0;
  int grown = 0;
  int failedGrowths = 0;
  for (int n = 0; n < 3 * setsPerKind && failures < 5; ++n) {
    const int kind = n % 3;
    const ExampleSet set = maker.make(kind);

    const auto [root, printed] = learn(set);
    ExampleSet referenceSet = set;
    std::unique_ptr<TreeNode> referenceRoot;
    const std::string referencePrinted = referenceLearn(referenceSet, referenceRoot);

    const std::string tree = shapeOf(root.get());
    if (printed != referencePrinted || tree != shapeOf(referenceRoot.get())) {
      ++failures;
      ADD_FAILURE() << "set " << n << " (kind " << kind << ", " << set.size() << " examples): printed \""
                    << printed << "\" against \"" << referencePrinted << "\"\n tree " << tree << "\n  ref "
                    << shapeOf(referenceRoot.get());
    }
    grown += root && !root->isLeaf() ? 1 : 0;
    failedGrowths += printed.empty() ? 0 : 1;
  }
  // The sets must exercise both outcomes, or the comparison proves little.
  EXPECT_GT(grown, setsPerKind);
  EXPECT_GT(failedGrowths, setsPerKind / 20);
}

TEST(InductionEquivalence, AgreesOnAChainAsDeepAsTheAttributes) {
  // One example per attribute holding a single 1, of class 0, and one of all
  // zeros, of class 1: each split peels one example off, so the tree is a
  // chain with a level per attribute.
  constexpr std::size_t width = 150;
  ExampleSet set;
  for (std::size_t k = 0; k <= width; ++k) {
    std::vector<float> values(width, 0.0F);
    if (k < width) values[k] = 1.0F;
    set.emplace_back(k == width ? std::uint8_t{1} : std::uint8_t{0}, values);
  }
  const auto [root, printed] = learn(set);
  EXPECT_EQ(printed, "");
  ExampleSet referenceSet = set;
  std::unique_ptr<TreeNode> referenceRoot;
  EXPECT_EQ(referenceLearn(referenceSet, referenceRoot), "");
  EXPECT_EQ(shapeOf(root.get()), shapeOf(referenceRoot.get()));

  std::size_t depth = 0;
  for (const TreeNode* node = root.get(); !node->isLeaf(); ++depth) {
    node = node->left->isLeaf() ? node->right.get() : node->left.get();
  }
  EXPECT_EQ(depth, width);
  for (const Example& e : set) EXPECT_EQ(root->classify(e.values), e.classValue);
}
