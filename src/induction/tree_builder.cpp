#include "induction/tree_builder.h"

#include <memory>

#include "learner/learner.h"
#include "tree/tree_node.h"

TreeBuilder::TreeBuilder(Learner& owner, const std::vector<bool>& classValues)
    : learner(owner), classes(classValues) {}

void TreeBuilder::run() {
  if (learner.examples.empty()) return;
  learner.root.reset();
  // Attached before the growth starts, so that the learner holds a
  // well-formed tree at every moment, also when growth fails.
  learner.root = std::make_unique<TreeNode>();
  grow(foldRows(learner.examples), *learner.root);
}
