#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// A tree of the textbook learner: two-way tests, each either a numeric
// attribute at most a threshold or a nominal attribute equal to one label,
// and at every node the training weight of each class that reached it.

enum class TextbookTest : std::uint8_t {
  leaf,
  atMost,  // the case's value is at most `threshold`
  equals,  // the case's value is the label of index `label`
};

struct TextbookNode {
  TextbookTest test = TextbookTest::leaf;
  std::uint32_t attribute = 0;
  // The largest training value of the attribute not beyond the cut: a float
  // of the data, so that it reads back exactly from its shortest decimal.
  float threshold = 0.0F;
  std::uint32_t label = 0;  // for `equals`: an index into the attribute's labels
  // The children: `yes` where the test holds, `no` where it fails. Nodes
  // are in pre-order, so `yes` is always the next node.
  std::uint32_t yes = 0;
  std::uint32_t no = 0;
  // The share of the training weight with a known value that took the yes
  // branch: a case whose value is missing goes down both branches, weighted
  // by it and by its complement.
  double yesShare = 0.0;
  double weight = 0.0;        // training weight that reached the node
  double errors = 0.0;        // of it, the weight of classes other than `majority`
  std::uint8_t majority = 0;  // the class of most weight, the first of equal ones; a leaf answers it
};

struct TextbookTree {
  std::size_t classCount = 0;
  std::vector<TextbookNode> nodes;   // the root first, in pre-order
  std::vector<double> classWeights;  // `classCount` per node, in the nodes' order

  std::span<const double> classWeightsOf(std::size_t node) const {
    return std::span<const double>(classWeights).subspan(node * classCount, classCount);
  }
};

std::size_t leafCount(const TextbookTree& tree);

// Each class's share of the leaves that `row` (the values of one case, NaN
// for a missing one) reaches: a missing tested value sends the case down
// both branches, by the node's `yesShare`, and the leaves' class shares are
// summed with the weights of the paths to them.
std::vector<double> classShares(const TextbookTree& tree, std::span<const float> row);

// The class of the highest share, the first of equal ones.
std::uint8_t classify(const TextbookTree& tree, std::span<const float> row);

// Whether the test of `node` holds for `value`; a NaN is neither.
enum class TextbookBranch : std::uint8_t { yes, no, both };
TextbookBranch branchFor(const TextbookNode& node, float value);
