#include "view/tree_drawing.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "view/node_text.h"

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

void drawTree(const TreeNode& root, LineStyle style, std::ostream& out) {
  const Strokes& strokes = style == LineStyle::ascii ? asciiStrokes : boxStrokes;
  // Pre-order with an explicit stack, so that a tree of any depth is drawn.
  struct Pending {
    const TreeNode* node;
    std::size_t depth;  // the root is 0
    const char* label;  // "yes: ", "no: ", or nothing for the root
    bool last;
  };
  std::vector<Pending> stack{{&root, 0, "", true}};
  // The columns in front of the node being drawn, and where the columns of
  // each depth end: `ends[d]` is the length of the columns a child at depth
  // d + 1 stands behind. A node's columns are those of its parent's line
  // plus one for the parent, which are still in place when the node is
  // drawn, since every node drawn in between lies below that parent.
  std::string columns;
  std::vector<std::size_t> ends{0};
  std::string line;
  while (!stack.empty()) {
    const Pending item = stack.back();
    stack.pop_back();
    line.clear();
    if (item.depth > 0) {
      columns.resize(ends[item.depth - 1]);
      ends.resize(item.depth);
      line += columns;
      line += item.last ? strokes.last : strokes.branch;
    }
    line += item.label;
    line += nodeText(*item.node);
    line += '\n';
    out << line;
    const TreeNode& node = *item.node;
    if (node.isLeaf()) continue;
    if (item.depth > 0) {
      columns += item.last ? strokes.blank : strokes.through;
      ends.push_back(columns.size());
    }
    // The right child goes on first, so that the left one is drawn first.
    if (node.right) stack.push_back({node.right.get(), item.depth + 1, "no: ", true});
    if (node.left) stack.push_back({node.left.get(), item.depth + 1, "yes: ", !node.right});
  }
}
