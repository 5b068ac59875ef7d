#include "induction/tree_builder.h"

void TreeBuilder::run(const RowTable& rows, std::unique_ptr<TreeNode>& root) {
  if (rows.rows() == 0) return;
  root.reset();
  root = std::make_unique<TreeNode>();
  grow(rows, *root);
}
