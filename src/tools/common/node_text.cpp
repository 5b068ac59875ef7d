#include "tools/common/node_text.h"

#include <charconv>
#include <cmath>
#include <iterator>

std::string attributeName(std::uint32_t caseIndex, const DataNames& names) {
  if (caseIndex < names.attributes.size() && !names.attributes[caseIndex].name.empty())
    return names.attributes[caseIndex].name;
  // Widened first: the last index a file may hold names x4294967296.
  std::string name = "x";
  name += std::to_string(static_cast<std::uint64_t>(caseIndex) + 1);
  return name;
}

std::string classLabel(unsigned classIndex, const DataNames& names) {
  if (classIndex < names.classes.size()) return names.classes[classIndex];
  return std::to_string(classIndex);
}

std::string className(unsigned classIndex, const DataNames& names) { return "class " + classLabel(classIndex, names); }

std::optional<std::string> valueLabel(std::uint32_t caseIndex, float value, const DataNames& names) {
  if (caseIndex >= names.attributes.size()) return std::nullopt;
  const Attribute& attribute = names.attributes[caseIndex];
  if (attribute.kind != AttributeKind::nominal || !(value >= 0.0F) || value != std::floor(value) ||
      value >= static_cast<float>(attribute.labels.size()))
    return std::nullopt;
  return attribute.labels[static_cast<std::size_t>(value)];
}

std::string numberText(float value) {
  // The shortest text that reads back as the very float: 2.7, not the
  // 2.70000005 that nine digits would show, nor a six-digit form that names
  // a neighbouring float.
  char text[32];
  const auto written = std::to_chars(std::begin(text), std::end(text), value);
  return std::string(text, written.ptr);
}

std::string valueText(std::uint32_t caseIndex, float value, const DataNames& names) {
  if (auto label = valueLabel(caseIndex, value, names)) return *label;
  return numberText(value);
}

std::string testText(const TreeNode& node, const DataNames& names) {
  const std::string name = attributeName(node.caseIndex, names);
  // Only '=' tests equality; every other predicate, '<' among them, sends a
  // strictly greater value left, so that is what is written. A value is
  // named by its label for an equality only: a nominal value's order says
  // nothing.
  const std::string relation = node.pred == '=' ? name + " = " + valueText(node.caseIndex, node.caseValue, names)
                                                : name + " > " + numberText(node.caseValue);
  // No value equals a NaN or exceeds it: such a test sends every example
  // the no way, which the bare relation would not tell.
  if (std::isnan(node.caseValue)) return relation + " (never holds)";
  return relation;
}

std::string nodeText(const TreeNode& node, const DataNames& names) {
  if (node.isLeaf()) return className(node.leafClass, names);
  return testText(node, names);
}
