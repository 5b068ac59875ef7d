#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The examples of one benchmark run, held flat so that refilling a Learner
// before each run does not depend on where they came from.
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
