// Learns a tree from an arbitrary training set and checks what came of it:
// either the growth failure, or a whole tree whose every leaf answers the
// majority class of the training examples that reach it.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "fuzz_check.h"
#include "induction/tree_builder.h"
#include "learner/learner.h"
#include "tree/tree_node.h"

namespace {

constexpr std::size_t maxExamples = 160;

// Values a byte picks, so that ties, zeros of both signs and every kind of
// special float turn up often; other bytes bring raw bits.
const float picked[] = {
    0.0F,
    1.0F,
    -0.0F,
    0.5F,
    -1.0F,
    2.0F,
    std::numeric_limits<float>::quiet_NaN(),
    -std::numeric_limits<float>::quiet_NaN(),
    std::numeric_limits<float>::infinity(),
    -std::numeric_limits<float>::infinity(),
    std::numeric_limits<float>::denorm_min(),
    -std::numeric_limits<float>::denorm_min(),
    std::numeric_limits<float>::max(),
    std::numeric_limits<float>::min(),
    3.0F,
    1e-40F,
};
constexpr std::size_t pickedCount = sizeof picked / sizeof picked[0];

struct Input {
  const std::uint8_t* at;
  const std::uint8_t* end;
  bool empty() const { return at == end; }
  std::uint8_t byte() { return at < end ? *at++ : 0; }
  float value() {
    const std::uint8_t token = byte();
    if (token < 0xE0 || end - at < 4) return picked[token % pickedCount];
    float raw = 0.0F;
    std::memcpy(&raw, at, sizeof raw);
    at += sizeof raw;
    return raw;
  }
};

// First byte: the width (1 to 6) in its low bits, and with its top bit set
// every example reads a width of its own. Then per example: a class byte
// (mostly 0 or 1, any byte from 0xF0 on), the width if mixed, the values.
ExampleSet decode(const std::uint8_t* data, std::size_t size) {
  Input in{data, data + size};
  const std::uint8_t head = in.byte();
  const bool mixed = (head & 0x80) != 0;
  const std::size_t width = 1 + head % 6;
  ExampleSet set;
  std::vector<float> values;
  while (!in.empty() && set.size() < maxExamples) {
    const std::uint8_t c = in.byte();
    const std::size_t count = mixed ? 1 + in.byte() % 6 : width;
    values.clear();
    for (std::size_t i = 0; i < count; ++i) values.push_back(in.value());
    set.emplace_back(c >= 0xF0 ? c : static_cast<std::uint8_t>(c & 1), values);
  }
  return set;
}

// Whether every node has two children or none.
bool wellFormed(const TreeNode* root) {
  std::vector<const TreeNode*> stack{root};
  while (!stack.empty()) {
    const TreeNode* node = stack.back();
    stack.pop_back();
    if ((node->left == nullptr) != (node->right == nullptr)) return false;
    if (node->left) {
      stack.push_back(node->left.get());
      stack.push_back(node->right.get());
    }
  }
  return true;
}

struct LeafCounts {
  std::size_t reached = 0;
  std::size_t zeros = 0;
  std::size_t ones = 0;
};

// Sends every example down the tree as a partition does and checks each
// leaf's class against the examples that arrive there.
void checkLeaves(const TreeNode* root, const ExampleSet& examples) {
  std::vector<std::pair<const TreeNode*, LeafCounts>> leaves;
  std::vector<const TreeNode*> stack{root};
  while (!stack.empty()) {
    const TreeNode* node = stack.back();
    stack.pop_back();
    if (node->isLeaf()) {
      leaves.push_back({node, {}});
    } else {
      stack.push_back(node->left.get());
      stack.push_back(node->right.get());
    }
  }
  for (const Example& example : examples) {
    const TreeNode* node = root;
    while (!node->isLeaf()) {
      const float value = valueAt(example.values, node->caseIndex);
      node = passesTest(node->pred, value, node->caseValue) ? node->left.get() : node->right.get();
    }
    for (auto& [leaf, counts] : leaves) {
      if (leaf != node) continue;
      ++counts.reached;
      if (example.classValue == 0) ++counts.zeros;
      if (example.classValue == 1) ++counts.ones;
    }
  }
  for (const auto& [leaf, counts] : leaves) {
    // Growth never splits off an empty side, so no leaf stands for nothing.
    FUZZ_CHECK(counts.reached > 0);
    FUZZ_CHECK(leaf->leafClass == (counts.ones > counts.zeros ? 1 : 0));
  }
}

// The order the threshold search sorts by must be a strict weak order for
// any floats, NaN and both zeros included, or the sort is undefined; and
// only entries of the same bits and class may tie, or the threshold would
// depend on the sort.
void checkStrictWeakOrder(const ExampleSet& set) {
  const std::size_t n = std::min<std::size_t>(set.size(), 20);
  const AttributeOrder before;
  std::vector<ColumnEntry> column(n);
  for (std::uint32_t attribute = 0; attribute < 6; ++attribute) {
    for (std::size_t e = 0; e < n; ++e) column[e] = {valueAt(set[e].values, attribute), set[e].classValue, 1};
    for (const ColumnEntry& a : column) {
      FUZZ_CHECK(!before(a, a));
      for (const ColumnEntry& b : column) {
        const bool ab = before(a, b);
        FUZZ_CHECK(!(ab && before(b, a)));
        const bool same =
            std::memcmp(&a.value, &b.value, sizeof a.value) == 0 && a.classValue == b.classValue;
        FUZZ_CHECK(same == (!ab && !before(b, a)));
        for (const ColumnEntry& c : column) {
          if (ab && before(b, c)) FUZZ_CHECK(before(a, c));
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ExampleSet training = decode(data, size);
  if (training.empty()) return 0;
  checkStrictWeakOrder(training);

  const Growth grown = learnFrom(training);
  FUZZ_CHECK(grown.tree != nullptr);
  FUZZ_CHECK(wellFormed(grown.tree.get()));
  if (grown.failure != nullptr) {
    FUZZ_CHECK(std::strcmp(grown.failure, "Illegal C4.5 Tree structure.") == 0);
    return 0;
  }
  checkLeaves(grown.tree.get(), training);
  return 0;
}
