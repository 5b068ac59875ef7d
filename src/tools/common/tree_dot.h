#pragma once

#include <functional>
#include <iosfwd>
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

// The tree as a Graphviz digraph: a box for each internal node, an ellipse
// for each leaf, each with its `label`, and edges labelled "yes" (the test
// holds, left) and "no".
void writeDot(const TreeNode& root, std::ostream& out, const DotLabel& label);

// The same with the viewer's words for each node, its test or its class,
// in the names of the data where there are some.
void writeDot(const TreeNode& root, std::ostream& out, const DataNames& names = noNames);
