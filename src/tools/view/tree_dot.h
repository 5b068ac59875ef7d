#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "tree/tree_node.h"

// `text` as a Graphviz quoted string: in quotes, with every quote and
// backslash escaped and line ends written as Graphviz's "\n", so that the
// label shows the text as it is.
std::string dotQuoted(std::string_view text);

// The tree as a Graphviz digraph: a box with its test for each internal
// node, an ellipse with its class for each leaf, and edges labelled "yes"
// (the test holds, left) and "no".
void writeDot(const TreeNode& root, std::ostream& out);
