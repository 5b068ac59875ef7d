#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

struct Learner;

// Examples read from a CSV file or drawn as the workbench draws them, held
// flat so that filling a Learner does not depend on where they came from.
struct Dataset {
  std::size_t width = 0;  // attribute values per example
  std::vector<float> values;
  std::vector<std::uint8_t> classes;

  std::size_t size() const { return classes.size(); }
};

// Why a CSV file was refused: the line (from 1) and what was wrong with it.
struct CsvError {
  std::size_t line = 0;
  std::string reason;
};

// Reads rows of attribute values followed by a class of 0 or 1, every field
// a number, every row as wide as the first. Reads line by line rather than
// the whole file at once. Throws CsvError; on a throw `into` is left empty.
void readCsv(std::FILE* file, Dataset& into);

// N examples drawn the way the workbench draws them for `fitness`, from the
// C library's generator seeded with `seed`.
Dataset generate(char fitness, std::size_t count, unsigned seed);

// Reads the CSV file `name`, or `standardInput` for the name "-". Answers
// nothing, or why the file was refused: "NAME: cannot open: REASON" or
// "NAME:LINE: REASON". On a refusal `into` is left empty.
std::optional<std::string> loadCsv(const std::string& name, std::FILE* standardInput, Dataset& into);

// The most examples of `width` values that a data set and a Learner can
// index; more could never be held, however much memory there is.
std::size_t maxExamples(std::size_t width);

// Replaces the learner's training set with the examples, as addExample
// would add them one by one.
void fillLearner(Learner& learner, const Dataset& data);
