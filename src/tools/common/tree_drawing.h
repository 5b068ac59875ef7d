#pragma once

#include <iosfwd>

#include "tree/tree_node.h"

enum class LineStyle { boxDrawing, ascii };

// Draws the tree one line per node, in pre-order: the root's test, then each
// child under its parent, marked "yes" (the test holds, left) or "no".
void drawTree(const TreeNode& root, LineStyle style, std::ostream& out);
