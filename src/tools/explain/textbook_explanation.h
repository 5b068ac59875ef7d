#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/textbook/textbook_observer.h"
#include "tools/textbook/textbook_options.h"

struct Dataset;

// Writes the steps of a textbook learn as the learner tells them: each
// node as it grows, in the order the tree grows, indented by its depth and
// named by its path from the root ("root", "root.yes", "root.no.yes", ...),
// with every attribute's candidate tests and their figures, the average
// gain and the test chosen; then the subtrees collapsed and the pruning
// decisions. Names are those of the data set. It only words what it is
// told: every figure is the learner's own.
class TextbookExplanation {
 public:
  TextbookExplanation(std::ostream& out, const Dataset& data, const TextbookOptions& options)
      : out_(out), data_(data), options_(options) {}

  void tell(const TextbookEvent& event);
  // After the learn: closes the sections no event closed.
  void finish();

 private:
  void begin(const TextbookNodeBegun& node);
  void leaf(const TextbookLeafMade& leaf);
  void searched(const TextbookAttributeSearched& searched);
  void chosen(const TextbookTestChosen& chosen);
  void split(const TextbookNodeSplit& split);
  void collapsed(const TextbookCollapsed& collapsed);
  void pruned(const TextbookPruned& pruned);

  std::string path(std::uint32_t node) const;
  std::size_t depth(std::uint32_t node) const;
  std::ostream& line(std::size_t indent);
  std::string attributeName(std::uint32_t attribute) const;
  std::string className(std::size_t c) const;
  std::string testText(std::uint32_t attribute, const TextbookCandidate& candidate, bool numericCut) const;

  std::ostream& out_;
  const Dataset& data_;
  const TextbookOptions& options_;
  // Each node's parent and side, and its children once it splits; a raised
  // branch's children move to the node that took its place.
  struct Place {
    std::uint32_t parent = noNode;
    bool yes = false;
    std::uint32_t yesChild = noNode;
    std::uint32_t noChild = noNode;
  };
  std::vector<Place> places_;
  std::vector<double> gains_;  // of the node's usable attributes, `NaN` for the others
  std::vector<double> ratios_;
  std::uint32_t node_ = 0;  // the node growing
  std::size_t indent_ = 0;
  bool collapsing_ = false;  // the collapse's heading was written
  bool pruning_ = false;     // the pruning's heading was written
  std::size_t splits_ = 0;
};

// The whole explanation of a textbook learn from `data`, then the tree as
// J48 prints it.
void writeTextbookExplanation(const Dataset& data, const TextbookOptions& options, std::ostream& out);
