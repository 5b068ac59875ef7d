#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <span>

// A node of the two-way decision tree. A node with a child is internal and
// sends a value to `left` when `passesTest` holds; a node with none is a leaf
// that answers `leafClass`.
struct TreeNode {
  std::uint32_t caseIndex = 0;
  float caseValue = 0.0F;
  char pred = '\0';
  std::uint8_t leafClass = 0;
  std::unique_ptr<TreeNode> left;
  std::unique_ptr<TreeNode> right;

  TreeNode() = default;
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;
  // Frees the subtree without recursion and without allocating, so that no
  // depth of tree can exhaust the stack and freeing works when memory has
  // run out.
  ~TreeNode();

  bool isLeaf() const { return !left && !right; }

  std::uint8_t classify(std::span<const float> values) const;
};

// '=' tests equality; every other predicate, '<' included, tests for a value
// strictly greater than `caseValue`. NaN passes neither.
inline bool passesTest(char pred, float value, float caseValue) {
  return pred == '=' ? value == caseValue : value > caseValue;
}

// The value at `index`, or NaN when the sequence is shorter: a missing value
// never passes a test, so a walk or a split treats it as failing.
inline float valueAt(std::span<const float> values, std::uint32_t index) {
  return index < values.size() ? values[index] : std::numeric_limits<float>::quiet_NaN();
}
