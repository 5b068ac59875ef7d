#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "induction/growth_observer.h"
#include "tools/common/data_names.h"

// What the induction told of each node, kept by the node's address, which
// stays the same for the life of the tree, so that the figures can be shown
// with the tree once it is learnt.
class TreeFigures {
 public:
  void tell(const GrowthEvent& event);

  // The lines of a node's label in the digraph: the viewer's words for it,
  // then its set; for a node that was split, the score of the value it
  // tests, and for a leaf, how many of its examples it misclassifies. A
  // node that the growth never reached says so. `brief` keeps only the
  // viewer's words and the examples of each class, "2 of 0, 4 of 1", so
  // that a large tree fits on a slide. Both in the names of the data where
  // there are some.
  std::string label(const TreeNode& node, const DataNames& names = noNames, bool brief = false) const;

 private:
  struct Figures {
    ClassTally classes{};
    std::uint64_t examples = 0;
    float score = 0.0F;
  };

  std::unordered_map<const TreeNode*, Figures> figures_;
  Figures* growing_ = nullptr;  // the node being grown: the map keeps its elements in place
};
