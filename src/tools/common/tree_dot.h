#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>

#include "tools/common/node_text.h"
#include "tree/tree_node.h"

// `text` as a Graphviz quoted string: in quotes, with every quote and
// backslash escaped and line ends written as Graphviz's "\n", so that the
// label shows the text as it is.
std::string dotQuoted(std::string_view text);

// What a node's box or ellipse says; its lines are parted by '\n'.
using DotLabel = std::function<std::string(const TreeNode&)>;

// How much of the tree is drawn: nodes down to `maxDepth` (the root's is
// 0). A test at that depth stands for its whole subtree, dashed, and says
// how many nodes it hides.
struct DotDepth {
  std::size_t maxDepth = std::numeric_limits<std::size_t>::max();
};

// The tree as a Graphviz digraph: a box for each internal node, an ellipse
// for each leaf, each with its `label`, and edges labelled "yes" (the test
// holds, left) and "no". Every node is filled: a leaf with its class's
// colour, a light one for class 0 and a dark one with white words for class
// 1, apart in grey too, and a test with white.
void writeDot(const TreeNode& root, std::ostream& out, const DotLabel& label, const DotDepth& depth = {});

// The same with the viewer's words for each node, its test or its class,
// in the names of the data where there are some.
void writeDot(const TreeNode& root, std::ostream& out, const DataNames& names = noNames,
              const DotDepth& depth = {});
