#include "tools/view/truth_table.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "examples/example_generator.h"
#include "tools/common/node_text.h"
#include "tree/tree_walk.h"

namespace {

// How many inputs of a truth table the tree answers as a concept does.
struct ConceptAgreement {
  FitnessFunction code;
  const char* name;  // "or", "exactly one of three", ...
  std::size_t rows;  // rows that agree, of 2^width
};

struct NamedConcept {
  FitnessFunction code;
  const char* name;
};

// The meaning of each concept is the example generator's (`classOf`); only
// the names, in the fitness menu's order, live here. '%' is named for what
// it computes, as the README names it: "triple xor" would be the odd
// parity of three values, which it is not.
constexpr NamedConcept concepts[] = {
    {'|', "or"},        {'^', "xor"}, {'&', "and"}, {'#', "triple or"}, {'%', "exactly one of three"},
    {'*', "triple and"}};

std::size_t rowCount(unsigned width) { return std::size_t{1} << width; }

// The highest attribute that any test of the tree reads, if there is a test.
std::optional<std::uint32_t> highestTestedIndex(const TreeNode& root) {
  std::optional<std::uint32_t> highest;
  walkPreOrder(root, [&highest](const WalkStep& step) {
    if (!step.node->isLeaf()) highest = std::max(highest.value_or(0), step.node->caseIndex);
    return true;
  });
  return highest;
}

// The values of row `row`, each 0.0 or 1.0: the row's number in binary, x1
// the most significant digit.
std::vector<float> tableInput(unsigned width, std::size_t row) {
  std::vector<float> values(width);
  for (unsigned i = 0; i < width; ++i) values[i] = static_cast<float>((row >> (width - 1 - i)) & 1U);
  return values;
}

// For each concept that takes `width` values, in the fitness menu's order.
std::vector<ConceptAgreement> agreements(const TreeNode& root, unsigned width) {
  std::vector<ConceptAgreement> all;
  for (const NamedConcept& c : concepts) {
    if (valueCount(c.code) == width) all.push_back({c.code, c.name, 0});
  }
  for (std::size_t row = 0; row < rowCount(width); ++row) {
    const std::vector<float> values = tableInput(width, row);
    const std::uint8_t answer = root.classify(values);
    for (ConceptAgreement& a : all) {
      if (classOf(a.code, values) == answer) ++a.rows;
    }
  }
  return all;
}

// The concept that agrees on every row, if one does.
std::optional<ConceptAgreement> computedConcept(const std::vector<ConceptAgreement>& all, unsigned width) {
  for (const ConceptAgreement& a : all) {
    if (a.rows == rowCount(width)) return a;
  }
  return std::nullopt;
}

}  // namespace

void writeTruthTable(const TreeNode& root, unsigned width, std::ostream& out, const DataNames& names) {
  std::string header;
  for (unsigned i = 0; i < width; ++i) header += attributeName(i, names) + ' ';
  out << header << "| class\n";
  std::string line;
  for (std::size_t row = 0; row < rowCount(width); ++row) {
    const std::vector<float> values = tableInput(width, row);
    line.clear();
    for (unsigned i = 0; i < width; ++i) {
      // Each digit stands under the last character of its column's name.
      line.append(attributeName(i, names).size() - 1, ' ');
      line += values[i] != 0.0F ? '1' : '0';
      line += ' ';
    }
    line += "| ";
    line += classLabel(root.classify(values), names);
    line += '\n';
    out << line;
  }
  out << '\n';
  const std::vector<ConceptAgreement> all = agreements(root, width);
  if (all.empty()) {
    out << "No concept takes " << width << (width == 1 ? " value.\n" : " values.\n");
  } else {
    for (const ConceptAgreement& a : all)
      out << a.code << ' ' << a.name << ": " << a.rows << " of " << rowCount(width) << " rows agree\n";
    if (const auto found = computedConcept(all, width)) {
      out << "The tree computes " << found->code << " (" << found->name << ").\n";
    } else {
      out << "The tree computes none of these concepts.\n";
    }
  }
  const auto highest = highestTestedIndex(root);
  if (highest && *highest >= width) {
    out << "Note: the tree tests " << attributeName(*highest, names) << ", which these " << width
        << "-value inputs lack; a missing value fails every test and takes the no branch.\n";
  }
}
