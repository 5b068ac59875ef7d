#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <unordered_map>

#include "induction/growth_observer.h"

// Writes the steps of a learn as the induction tells them, one node after
// another in the order the tree grows, each indented by its depth and named
// by its path from the root ("root", "root.yes", "root.no.yes", ...). It
// only words what it is told: every figure is the induction's own.
class Explanation {
 public:
  explicit Explanation(std::ostream& out) : out_(out) {}

  void tell(const GrowthEvent& event);

 private:
  void begin(const NodeBegun& node);
  void leaf(const LeafMade& leaf);
  void thresholds(const ThresholdsFound& found);
  void choice(const AttributeChosen& chosen);
  void split(const NodeSplit& split);
  void stop(const GrowthStopped& stopped);
  // The start of a line `levels` deeper than the current node's.
  std::ostream& line(std::size_t levels);

  std::ostream& out_;
  std::unordered_map<const TreeNode*, std::string> paths_;  // of the nodes still to grow
  std::string path_;                                        // of the node being grown
  std::size_t depth_ = 0;
  NodeBegun set_{};
  NodeSplit split_{};
};
