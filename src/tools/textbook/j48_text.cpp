#include "tools/textbook/j48_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "tools/common/dataset.h"

namespace {

// Java's form from a number's shortest scientific digits ("1.2345e-04").
std::string javaForm(const std::string& scientific) {
  const std::size_t e = scientific.find('e');
  std::string mantissa = scientific.substr(0, e);
  const int exponent = std::atoi(scientific.c_str() + e + 1);
  std::string sign;
  if (!mantissa.empty() && mantissa[0] == '-') {
    sign = "-";
    mantissa.erase(0, 1);
  }
  std::string digits;
  for (const char c : mantissa) {
    if (c != '.') digits += c;
  }
  std::string text = sign;
  if (digits == "0") return text.append("0.0");
  if (exponent >= -3 && exponent < 7) {
    if (exponent < 0) {
      text.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
    } else {
      const auto whole = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() < whole + 1) digits.resize(whole + 1, '0');
      text.append(digits, 0, whole).append(".").append(digits, whole);
    }
    return text;
  }
  text.append(digits, 0, 1).append(".").append(digits.size() > 1 ? digits.substr(1) : std::string("0"));
  return text.append("E").append(std::to_string(exponent));
}

template <typename Number>
std::string javaText(Number value) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
  return javaForm(std::string(buffer, end));
}

// Weka's rounding of a count to two decimals.
double roundedCount(double weight) { return std::floor(weight * 100.0 + 0.5) / 100.0; }

std::string attributeName(const Dataset& data, std::uint32_t attribute) {
  if (attribute < data.attributes.size() && !data.attributes[attribute].name.empty())
    return data.attributes[attribute].name;
  return std::string("x").append(std::to_string(attribute + 1));
}

std::string labelName(const Attribute& attribute, std::size_t label) {
  return label < attribute.labels.size() ? attribute.labels[label] : std::to_string(label);
}

std::string testText(const TextbookNode& node, const Dataset& data, bool yes) {
  std::string text = attributeName(data, node.attribute);
  if (node.test == TextbookTest::atMost) return text + (yes ? " <= " : " > ") + javaNumber(node.threshold);
  const std::string label = node.attribute < data.attributes.size()
                                ? labelName(data.attributes[node.attribute], node.label)
                                : std::to_string(node.label);
  return text + (yes ? " = " : " != ") + label;
}

std::string leafText(const TextbookNode& node, const Dataset& data) {
  std::string text = std::string(": ").append(labelName(data.classAttribute, node.majority));
  text.append(" (").append(javaNumber(roundedCount(node.weight)));
  if (node.errors > 1e-6) text.append("/").append(javaNumber(roundedCount(node.errors)));
  return text.append(")");
}

}  // namespace

std::string javaNumber(double value) { return javaText(value); }
std::string javaNumber(float value) { return javaText(value); }

std::string j48Text(const TextbookTree& tree, const Dataset& data) {
  if (tree.nodes.empty()) return "";
  if (tree.nodes[0].test == TextbookTest::leaf) return leafText(tree.nodes[0], data) + "\n";
  std::string text;
  // Each branch still to write: its parent, which branch, and its depth.
  struct Waiting {
    std::uint32_t parent;
    bool yes;
    std::size_t depth;
  };
  std::vector<Waiting> waiting{{0, false, 0}, {0, true, 0}};
  while (!waiting.empty()) {
    const Waiting branch = waiting.back();
    waiting.pop_back();
    const TextbookNode& parent = tree.nodes[branch.parent];
    const std::uint32_t child = branch.yes ? parent.yes : parent.no;
    for (std::size_t level = 0; level < branch.depth; ++level) text += "|   ";
    text += testText(parent, data, branch.yes);
    const TextbookNode& node = tree.nodes[child];
    if (node.test == TextbookTest::leaf) {
      text += leafText(node, data) + "\n";
      continue;
    }
    text += "\n";
    waiting.push_back({child, false, branch.depth + 1});
    waiting.push_back({child, true, branch.depth + 1});
  }
  return text;
}
