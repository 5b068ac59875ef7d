#pragma once

#include <cstddef>
#include <cstdio>
#include <iosfwd>
#include <optional>
#include <string>

#include "tools/common/data_error.h"
#include "tools/common/data_options.h"
#include "tools/common/dataset.h"

// The data files of the tools (README, "Data files"): an ARFF file, a CSV
// file with a header or without, or the tools' plain CSV of numbers with a
// class of 0 or 1, told apart by their first lines. A UTF-8 byte-order mark
// and CRLF line ends are read too. The text is read a block at a time,
// never whole; a read that fails is a refusal, never the end of the file.

// Reads go to the kernel a block at a time.
constexpr std::size_t dataBlockSize = std::size_t{1} << 20;

// Reads `file` into `into`, `blockSize` bytes at a time (tests make it
// small, to cut the text at every place). Throws DataError; on a throw
// `into` is left empty.
void readData(std::FILE* file, Dataset& into, const DataOptions& options = {},
              std::size_t blockSize = dataBlockSize);

// Reads the file `name`, or `standardInput` for the name "-". Answers
// nothing, or why the file was refused: "NAME: cannot open: REASON",
// "NAME: out of memory" or "NAME:LINE: REASON", every byte of the name and
// of the text quoted from the file that does not print escaped. On a
// refusal `into` is left empty.
std::optional<std::string> loadData(const std::string& name, std::FILE* standardInput, Dataset& into,
                                    const DataOptions& options = {});

// For the tools that learn or test with the workbench's method, which
// tells classes 0 and 1 apart: why `data` from `name` is beyond it, or
// nothing. Two class labels stand for the classes 0 and 1 in their order.
std::optional<std::string> beyondTwoClasses(const std::string& name, const Dataset& data);

// What a tool says of the rows it left out of `data` from `name` for want
// of a class, or nothing where there are none.
std::optional<std::string> rowsLeftOut(const std::string& name, const Dataset& data);

// Loads the data of a tool that learns or tests with the workbench's
// method, saying on `err`, after "PROGRAM: ", why they were refused (as
// `loadData` or `beyondTwoClasses` says) or which rows were left out.
// Answers whether the data can be used.
bool loadForMethod(const char* program, const std::string& name, std::FILE* standardInput,
                   const DataOptions& options, Dataset& into, std::ostream& err);
