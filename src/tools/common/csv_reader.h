#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

#include "tools/common/dataset.h"

// Why a CSV file was refused: the line (from 1) and what was wrong with it.
struct CsvError {
  std::size_t line = 0;
  std::string reason;
};

// Reads rows of attribute values followed by a class of 0 or 1, every field
// a number as strtof reads it (blanks around it aside), every row as wide
// as the first; a line may end in CRLF. Reads a block at a time, never the
// whole file; a line too long to be held in memory is refused. Throws
// CsvError; on a throw `into` is left empty.
void readCsv(std::FILE* file, Dataset& into);

// Reads the CSV file `name`, or `standardInput` for the name "-". Answers
// nothing, or why the file was refused: "NAME: cannot open: REASON" or
// "NAME:LINE: REASON". On a refusal `into` is left empty.
std::optional<std::string> loadCsv(const std::string& name, std::FILE* standardInput, Dataset& into);
