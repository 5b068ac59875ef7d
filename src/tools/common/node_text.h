#pragma once

#include <cstdint>
#include <string>

#include "tree/tree_node.h"

// The words the viewer uses for a node, shared by the drawing, the Graphviz
// output and the truth table so that all three name things alike.

// The attribute at `caseIndex`, counted from 1 as the truth table's inputs
// are: x1 is the first value of an example.
std::string attributeName(std::uint32_t caseIndex);

// A value as the shortest decimal that reads back as the very same float, so
// that a drawn test never claims a threshold it does not have and a value
// read as 2.7 shows as 2.7.
std::string numberText(float value);

// The relation that holds exactly when an example takes the node's yes
// (left) branch, e.g. "x1 = 1" or "x2 > 0.5".
std::string testText(const TreeNode& node);

// "class 1" for a leaf, the test for any other node.
std::string nodeText(const TreeNode& node);
