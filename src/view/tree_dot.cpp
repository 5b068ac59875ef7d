#include "view/tree_dot.h"

#include <cstddef>
#include <ostream>
#include <vector>

#include "view/node_text.h"

std::string dotQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

void writeDot(const TreeNode& root, std::ostream& out) {
  out << "digraph tree {\n"
      << "  node [shape=box];\n";
  // Nodes are numbered in pre-order; an explicit stack keeps any depth safe.
  struct Pending {
    const TreeNode* node;
    std::size_t parent;  // the parent's number; unused for the root
    const char* edge;    // "yes", "no", or null for the root
  };
  std::vector<Pending> stack{{&root, 0, nullptr}};
  std::size_t next = 0;
  while (!stack.empty()) {
    const Pending item = stack.back();
    stack.pop_back();
    const std::size_t id = next++;
    const TreeNode& node = *item.node;
    out << "  n" << id << " [label=" << dotQuoted(nodeText(node));
    if (node.isLeaf()) out << ", shape=ellipse";
    out << "];\n";
    if (item.edge != nullptr)
      out << "  n" << item.parent << " -> n" << id << " [label=" << dotQuoted(item.edge) << "];\n";
    if (node.right) stack.push_back({node.right.get(), id, "no"});
    if (node.left) stack.push_back({node.left.get(), id, "yes"});
  }
  out << "}\n";
}
