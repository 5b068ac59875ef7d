#pragma once

#include <iosfwd>

#include "tools/common/data_names.h"
#include "tree/tree_node.h"

enum class LineStyle { boxDrawing, ascii };

// Draws the tree one line per node, in pre-order: the root's test, then each
// child under its parent, marked "yes" (the test holds, left) or "no"; in
// the names of the data, where there are some.
void drawTree(const TreeNode& root, LineStyle style, std::ostream& out, const DataNames& names = noNames);
