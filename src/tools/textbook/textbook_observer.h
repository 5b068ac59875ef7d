#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <variant>

#include "tools/textbook/textbook_tree.h"

// What the textbook learner tells an observer of its steps, in the order it
// takes them. The growth first: for each node, depth first and yes before
// no, `TextbookNodeBegun`, then `TextbookLeafMade`, or one
// `TextbookAttributeSearched` per attribute and `TextbookTestChosen`, then
// `TextbookLeafMade` or `TextbookNodeSplit`. Then `TextbookCollapsed` for
// each subtree that does not reduce the training errors, and, unless the
// tree stays unpruned, the pruning, children before their parent:
// `TextbookPruned` for every test. A subtree replaced by its largest branch
// is pruned again, with all its parent's cases, before its parent's
// `TextbookPruned` is told. Nodes are named by their number in the growth;
// the figures are the very ones the learner decides by.

constexpr std::uint32_t noNode = 0xFFFFFFFFU;

struct TextbookNodeBegun {
  std::uint32_t node;
  std::uint32_t parent;  // `noNode` for the root
  bool yes;              // which branch of the parent it is
  std::span<const double> classWeights;
  double weight;
};

enum class TextbookLeafReason : std::uint8_t {
  oneClass,     // every case is of one class
  tooFewCases,  // fewer than twice the minimum of a branch
  noTest,       // no attribute has a test that would do
};

struct TextbookLeafMade {
  std::uint32_t node;
  TextbookLeafReason reason;
  std::uint8_t majority;
};

// One candidate test of an attribute: a cut between two neighbouring
// values of a numeric attribute, or one label against the rest.
struct TextbookCandidate {
  float lower = 0.0F;  // numeric: the values on either side of the cut
  float upper = 0.0F;
  std::uint32_t label = 0;  // nominal
  double yes = 0.0;         // known weight on each side
  double no = 0.0;
  bool refused = false;  // a side holds fewer cases than the attribute's minimum
  double gain = 0.0;     // before the cost of choosing a threshold
  double splitInformation = 0.0;
  double gainRatio = 0.0;  // of the gain less that cost
};

enum class TextbookVerdict : std::uint8_t {
  usable,
  tooFewKnown,  // too few cases with a value to give both branches the minimum
  noCut,        // no candidate gives both branches the minimum
  noGain,       // the best candidate gains nothing once its cost is paid
};

struct TextbookAttributeSearched {
  std::uint32_t node;
  std::uint32_t attribute;
  bool nominal;
  double known;    // weight of the cases with a value
  double missing;  // and without
  double minimum;  // the least weight a branch may hold
  std::span<const TextbookCandidate> candidates;
  std::size_t cuts;    // candidates not refused, which a numeric test pays for
  double cost;         // cutCost(cuts, known + missing); 0 for a nominal attribute
  std::uint32_t best;  // index into `candidates`, or `noNode`
  TextbookVerdict verdict;
  double gain;  // of the best candidate, less the cost
  double gainRatio;
  bool averaged;  // counted in the average gain (a nominal attribute of very many labels is not)
};

struct TextbookTestChosen {
  std::uint32_t node;
  double averageGain;       // of the usable attributes averaged
  std::size_t averaged;     // how many were
  std::uint32_t attribute;  // `noNode` when none passes
};

struct TextbookNodeSplit {
  std::uint32_t node;
  const TextbookNode* test;  // the node with its test and children
  double midpoint;           // numeric: where the cut lies, before the threshold took a training value
  double yes;                // known weight of each branch
  double no;
  double missing;  // weight that went down both
};

struct TextbookCollapsed {
  std::uint32_t node;
  double subtreeErrors;  // training errors of the subtree's leaves
  double leafErrors;     // of the node as a leaf
};

enum class TextbookDecision : std::uint8_t { kept, leaf, raised };

struct TextbookPruned {
  std::uint32_t node;
  double subtreeEstimate;  // estimated errors of the subtree's leaves
  double leafEstimate;     // of the node as a leaf
  double branchEstimate;   // of its largest branch on all the node's cases; infinity without raising
  std::uint32_t largest;   // that branch
  TextbookDecision decision;
  std::uint8_t majority;  // the class of a leaf made of the node
};

using TextbookEvent = std::variant<TextbookNodeBegun, TextbookLeafMade, TextbookAttributeSearched,
                                   TextbookTestChosen, TextbookNodeSplit, TextbookCollapsed, TextbookPruned>;

// Attached to a learn to follow its steps. Without one the learner only
// tests for it once per node and makes no candidates.
struct TextbookObserver {
  std::function<void(const TextbookEvent&)> tell;
};
