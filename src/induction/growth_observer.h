#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <variant>

#include "induction/tree_builder.h"
#include "tree/tree_walk.h"

struct TreeNode;

// What the induction tells an observer of its steps, in the order it takes
// them: for each node, depth first and left before right, `NodeBegun`, then
// either `LeafMade`, or one `ThresholdsFound` per attribute, `AttributeChosen`
// and then `LeafMade` or `NodeSplit` (followed by `GrowthStopped` when the
// split sends every example one way). The figures are the very ones the
// induction decides by; a node is named by its address, which stays the same
// for the life of the tree.

// Where a node stands in the tree: its depth (the root's is 0) and the
// branch of its parent that it hangs on.
struct NodePlace {
  std::size_t depth;
  Branch branch;
};

// A node's set, once its classes are counted and its predicate chosen.
struct NodeBegun {
  const TreeNode* node;
  NodePlace place;
  ClassTally classes;      // examples of class 0 and of class 1
  std::uint64_t examples;  // of any class byte
  char pred;
};

enum class LeafReason { oneClass, noValues, noSplit };

// The node became a leaf of the class it now holds.
struct LeafMade {
  const TreeNode* node;
  LeafReason reason;
};

// One attribute's threshold search. `usable` is false when every example has
// the same value, so that the attribute is not scored at the node whatever
// its cuts. `scores` is empty when the cut was taken unscored, as a lone cut
// is; `best` is an index into `candidates`, or `noIndex` when there are none.
struct ThresholdsFound {
  std::uint32_t attribute;
  bool usable;
  const SortedColumn* column;
  std::span<const float> candidates;
  std::span<const std::uint32_t> positions;  // entries of `column`, each the lower of its cut
  std::span<const float> scores;
  std::uint32_t best;
  float threshold;
};

// The attribute scores of the node, `unusableGain` for those that cannot
// split it, and the one chosen (`noIndex` for none).
struct AttributeChosen {
  std::span<const float> gains;
  std::uint32_t attribute;
};

// The node got its test and two children; so many examples pass it (left)
// and fail it (right).
struct NodeSplit {
  const TreeNode* node;
  std::uint64_t passing;
  std::uint64_t failing;
};

// The split just told sends every example one way: the growth ends here
// with `growthFailure`, and the tree stays as far as it grew. `notGrown`
// are the places of the nodes that were still to grow, in the order they
// would have grown, the failed node's two children first; each hangs on
// this node or on one of its ancestors.
struct GrowthStopped {
  const TreeNode* node;
  const char* message;
  std::span<const NodePlace> notGrown;
};

using GrowthEvent =
    std::variant<NodeBegun, LeafMade, ThresholdsFound, AttributeChosen, NodeSplit, GrowthStopped>;

// Attached to a TreeBuilder to follow its steps. Learning without one does
// only a null test per node and per candidate cut.
struct GrowthObserver {
  std::function<void(const GrowthEvent&)> tell;
};
