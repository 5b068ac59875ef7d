#include "tools/common/node_text.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

std::string attributeName(std::uint32_t caseIndex) {
  // Widened first: the last index a file may hold names x4294967296.
  std::string name = "x";
  name += std::to_string(static_cast<std::uint64_t>(caseIndex) + 1);
  return name;
}

std::string numberText(float value) {
  // The writer's form first, an output stream's defaults on a float; nine
  // significant digits name every float exactly, so the loop ends with a
  // text that reads back as `value` (a NaN as a NaN).
  std::string text;
  for (int digits = 6; digits <= 9; ++digits) {
    std::ostringstream out;
    out.precision(digits);
    out << value;
    text = out.str();
    if (std::isnan(value) || std::strtof(text.c_str(), nullptr) == value) break;
  }
  return text;
}

std::string testText(const TreeNode& node) {
  const std::string name = attributeName(node.caseIndex);
  const std::string number = numberText(node.caseValue);
  // Only '=' tests equality; every other predicate, '<' among them, sends a
  // strictly greater value left, so that is what is written.
  const std::string relation = name + (node.pred == '=' ? " = " : " > ") + number;
  // No value equals a NaN or exceeds it: such a test sends every example
  // the no way, which the bare relation would not tell.
  if (std::isnan(node.caseValue)) return relation + " (never holds)";
  return relation;
}

std::string nodeText(const TreeNode& node) {
  if (node.isLeaf()) return "class " + std::to_string(static_cast<unsigned>(node.leafClass));
  return testText(node);
}
