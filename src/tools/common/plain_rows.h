#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "tools/common/dataset.h"

// The rows of the tools' first form of CSV: no header, every field a
// number as strtof reads it (blanks around it aside), every row as wide as
// the first, the class 0 or 1. Each refusal is the one the tools have
// always given.
class PlainRows {
 public:
  // Rows of `fields` fields each, the class the field at `classField`.
  PlainRows(Dataset& into, std::size_t fields, std::size_t classField);

  // The lines taken so far.
  std::size_t lines() const { return line_; }

  // Takes the whole lines of [begin, end), and the last one without its
  // line end where `last`; a CR before a line end is dropped. Answers where
  // the text not taken begins. Throws DataError.
  const char* take(const char* begin, const char* end, bool last);

 private:
  Dataset& data_;
  std::size_t line_ = 0;
  std::size_t fields_;
  std::size_t classField_;
};

// The fields of a line as numbers, where it is a row of that form but for
// its class; nothing where a field is not a number.
std::optional<std::vector<float>> plainFields(const char* begin, const char* end);
