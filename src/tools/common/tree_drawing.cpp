#include "tools/common/tree_drawing.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "tools/common/node_text.h"
#include "tree/tree_walk.h"

namespace {

struct Strokes {
  const char* branch;   // a child with a sibling below it
  const char* last;     // the last child of its parent
  const char* through;  // the column of a parent whose later child is still to come
  const char* blank;    // the column of a parent that has no more children
};

constexpr Strokes boxStrokes{"\u251c\u2500 ", "\u2514\u2500 ", "\u2502  ", "   "};
constexpr Strokes asciiStrokes{"|- ", "`- ", "|  ", "   "};

}  // namespace

void drawTree(const TreeNode& root, LineStyle style, std::ostream& out, const DataNames& names) {
  const Strokes& strokes = style == LineStyle::ascii ? asciiStrokes : boxStrokes;
  // The columns in front of the node being drawn, and where the columns of
  // each depth end: `ends[d]` is the length of the columns a child at depth
  // d + 1 stands behind. A node's columns are those of its parent's line
  // plus one for the parent, which are still in place when the node is
  // drawn, since every node drawn in between lies below that parent.
  std::string columns;
  std::vector<std::size_t> ends{0};
  std::string line;
  walkPreOrder(root, [&](const WalkStep& step) {
    line.clear();
    if (step.depth > 0) {
      columns.resize(ends[step.depth - 1]);
      ends.resize(step.depth);
      line += columns;
      line += step.last ? strokes.last : strokes.branch;
      line += step.branch == Branch::yes ? "yes: " : "no: ";
    }
    line += nodeText(*step.node, names);
    line += '\n';
    out << line;
    if (!step.node->isLeaf() && step.depth > 0) {
      columns += step.last ? strokes.blank : strokes.through;
      ends.push_back(columns.size());
    }
    return true;
  });
}
