#include "tools/common/node_text.h"

#include <charconv>
#include <cmath>
#include <iterator>

std::string attributeName(std::uint32_t caseIndex) {
  // Widened first: the last index a file may hold names x4294967296.
  std::string name = "x";
  name += std::to_string(static_cast<std::uint64_t>(caseIndex) + 1);
  return name;
}

std::string numberText(float value) {
  // The shortest text that reads back as the very float: 2.7, not the
  // 2.70000005 that nine digits would show, nor a six-digit form that names
  // a neighbouring float.
  char text[32];
  const auto written = std::to_chars(std::begin(text), std::end(text), value);
  return std::string(text, written.ptr);
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
