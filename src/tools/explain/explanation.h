#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "induction/growth_observer.h"
#include "tools/common/data_names.h"
#include "tools/explain/textbook.h"

// Writes the steps of a learn as the induction tells them, one node after
// another in the order the tree grows, each indented by its depth and named
// by its path from the root ("root", "root.yes", "root.no.yes", ...). It
// only words what it is told: every figure is the induction's own, but for
// those of textbook C4.5 that `compare` sets beside them.
class Explanation {
 public:
  // Names attributes and classes as `names` does, which must outlive it.
  explicit Explanation(std::ostream& out, bool compare = false, const DataNames& names = noNames)
      : out_(out), compare_(compare), names_(names) {}

  void tell(const GrowthEvent& event);

 private:
  void begin(const NodeBegun& node);
  void leaf(const LeafMade& leaf);
  void thresholds(const ThresholdsFound& found);
  void choice(const AttributeChosen& chosen);
  void split(const NodeSplit& split);
  void stop(const GrowthStopped& stopped);
  void compareWithTextbook(std::uint32_t chosen);
  // The start of a line `levels` deeper than the current node's.
  std::ostream& line(std::size_t levels);

  std::ostream& out_;
  bool compare_;
  const DataNames& names_;
  std::vector<std::optional<TextbookCut>> textbook_;  // of the node's attributes, for comparison
  // The nodes being grown and their ancestors share one path text, cut
  // back on the way up, so that memory follows the depth of the tree, never
  // the sum of its path lengths.
  std::string path_;               // of the node being grown
  std::vector<std::size_t> ends_;  // where the path of its ancestor at each depth ends in `path_`
  std::size_t depth_ = 0;
  std::string blanks_;  // indentation, kept so that a line costs no allocation
  NodeBegun set_{};
  NodeSplit split_{};
};
