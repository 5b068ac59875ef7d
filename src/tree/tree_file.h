#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tree/tree_node.h"

// Why a tree file was refused, and on which line (counted from 1, comment
// lines included). Thrown by the reader; `save` and `load` catch it. A
// reason may quote the line's bytes as they are, control characters
// included.
struct TreeFileError {
  std::size_t line = 0;
  std::string reason;
};

// A line the reader took although it was probably not meant as it reads:
// its words do not match, a number is out of range or was cut to its low
// bits, text follows its last value, or it was cut at 511 characters. Such
// lines read as they always have; only a caller that asks is told.
struct TreeFileWarning {
  std::size_t line = 0;
  std::string reason;
};

// The indented text form of a tree: one line per node in pre-order, a tab per
// level of depth, ">" for a node with two children and "^" for every other.
struct TreeFile {
  // A tree read from a file may have at most this many levels (a lone root is
  // one level). The bound keeps saving such a tree sane: the writer indents
  // every line by its depth, so a chain's file grows with the square of it.
  static constexpr std::size_t maxLevels = 10000;

  // Throws the integer 0 when there is no tree.
  static void write(const TreeNode* root, std::ostream& out);
  // The whole file of the tree, in memory. Its length is counted first, so
  // that it takes no more memory than that length.
  static std::string text(const TreeNode& root);
  static void writeNode(std::size_t depth, const TreeNode& node, std::ostream& out);

  // Reads a whole tree and only then puts it into `slot`, freeing what the
  // slot held. On any failure, a read that fails included, it throws
  // `TreeFileError` and `slot` is as it was. Lines read leniently are added
  // to `warnings`, when it is given, in the order of the file, also when the
  // read then fails.
  static void read(std::unique_ptr<TreeNode>& slot, std::istream& in,
                   std::vector<TreeFileWarning>* warnings = nullptr);

  // Reads the next node line into a new node stored in `slot`. Answers true
  // when the node has children to read. Throws `TreeFileError` for a wrong
  // marker, a blank line or the end of the file.
  static bool readNode(std::unique_ptr<TreeNode>& slot, std::istream& in, std::size_t& lineNumber,
                       std::vector<TreeFileWarning>* warnings = nullptr);
};
