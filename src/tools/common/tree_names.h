#pragma once

#include <cstddef>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/data_names.h"

// The names of the data a tree was learnt from, kept in the comment lines
// at the head of its tree file, which the workbench's reader skips (every
// line holding '#' is a comment there), so that a tree saved by
// treebench-learn loads in the workbench and is still drawn in its names.
//
//   # names: treebench-learn
//   # attribute 1 numeric: temperature
//   # attribute 0 nominal: outlook
//   # label 0 2: rainy
//   # class 1: no
//
// Indices count from 0, as the tree's case indices and classes do. A text
// is escaped (a backslash, a byte that does not print and '#' as \xHH), and
// one too long for the reader's 511 characters continues on "# more: "
// lines. A reader takes what it understands and passes over the rest.

// The comment lines for `names`, each ended by a line end; empty where
// there are no names.
std::string nameComments(const DataNames& names);

// Takes the head's comment lines one at a time, `line` without its line
// end and its leading tabs, into names.
class NameCommentReader {
 public:
  void take(std::string_view line);
  // The names read, or none where the head was not treebench-learn's.
  DataNames names() const { return signed_ ? names_ : DataNames{}; }

 private:
  DataNames names_;
  bool signed_ = false;
  std::string* last_ = nullptr;  // the text a "# more: " line continues
};

// Hands on what `source` holds, unchanged, and tells `reader` each comment
// line before the first line that is not one, so that a tree's reader can
// learn the names in the one pass it reads the file in.
class NameCommentTap : public std::streambuf {
 public:
  NameCommentTap(std::streambuf& source, NameCommentReader& reader) : source_(source), reader_(reader) {}

 protected:
  int_type underflow() override;

 private:
  void watch(const char* begin, const char* end);

  std::streambuf& source_;
  NameCommentReader& reader_;
  std::vector<char> buffer_ = std::vector<char>(1 << 16);
  std::string line_;
  bool inHead_ = true;
  bool atLineStart_ = true;
  bool inComment_ = false;
};
