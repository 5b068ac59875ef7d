#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/common/data_names.h"
#include "tree/tree_node.h"

// The words the tools use for a node, shared by the drawing, the Graphviz
// output, the truth table and the explainer so that all of them name things
// alike, with the names of the data where there are some.

// The attribute at `caseIndex`: its name, or x1 for the first value of an
// example, x2 for the second, ... as the truth table counts its inputs.
std::string attributeName(std::uint32_t caseIndex, const DataNames& names = noNames);

// A class by its label ("yes"), or by its number ("1").
std::string classLabel(unsigned classIndex, const DataNames& names = noNames);

// "class " and the class's label or number.
std::string className(unsigned classIndex, const DataNames& names = noNames);

// The label of a nominal attribute's value, where `value` is the index of
// one of its labels.
std::optional<std::string> valueLabel(std::uint32_t caseIndex, float value, const DataNames& names);

// A value as the shortest decimal that reads back as the very same float, so
// that a drawn test never claims a threshold it does not have and a value
// read as 2.7 shows as 2.7.
std::string numberText(float value);

// A value of an attribute: its label, or its number as `numberText` writes it.
std::string valueText(std::uint32_t caseIndex, float value, const DataNames& names = noNames);

// The relation that holds exactly when an example takes the node's yes
// (left) branch, e.g. "x1 = 1", "x2 > 0.5" or "outlook = sunny".
std::string testText(const TreeNode& node, const DataNames& names = noNames);

// The class for a leaf, the test for any other node.
std::string nodeText(const TreeNode& node, const DataNames& names = noNames);
