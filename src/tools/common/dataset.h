#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Learner;

// What a column of a data file holds. A nominal value is stored as the
// index of its label, as a float; a numeric value as the float nearest to
// its text.
enum class AttributeKind : std::uint8_t { numeric, nominal };

struct Attribute {
  std::string name;  // as the file names it; empty where the file names none
  AttributeKind kind = AttributeKind::numeric;
  // A nominal attribute's labels by index: in an ARFF file the order of its
  // declaration, in a CSV file the order in which they first appear.
  std::vector<std::string> labels;
};

// Examples read from a data file or drawn as the workbench draws them, held
// flat so that filling a Learner does not depend on where they came from.
struct Dataset {
  std::size_t width = 0;  // attribute values per example
  // Row after row, `width` values each; a missing value is a quiet NaN.
  std::vector<float> values;
  // Each row's class index, from 0; a label of `classAttribute` names it.
  std::vector<std::uint8_t> classes;

  // What the file says of its columns. Both are empty for examples drawn as
  // the workbench draws them and for the headerless numeric form, whose
  // classes are the numbers 0 and 1 and whose attributes are x1, x2, ...
  std::vector<Attribute> attributes;  // `width` entries, or none
  Attribute classAttribute;           // nominal; its labels name the class indices
  // The line of the file that each row stands on (from 1); empty where row
  // i stands on line i + 1.
  std::vector<std::size_t> lines;
  // Rows of the file left out because their class is missing, and the line
  // of the first of them.
  std::size_t rowsWithoutClass = 0;
  std::size_t firstRowWithoutClass = 0;

  std::size_t size() const { return classes.size(); }
  // The classes a learner tells apart: the class labels, or 0 and 1.
  std::size_t classCount() const { return classAttribute.labels.empty() ? 2 : classAttribute.labels.size(); }
  float value(std::size_t row, std::size_t attribute) const { return values[row * width + attribute]; }
};

// The most classes a data set may have: a class index is one byte.
constexpr std::size_t maxClasses = 256;

// N examples drawn the way the workbench draws them for `fitness`, from the
// C library's generator seeded with `seed`.
Dataset generate(char fitness, std::size_t count, unsigned seed);

// The most examples of `width` values that a data set and a Learner can
// index; more could never be held, however much memory there is.
std::size_t maxExamples(std::size_t width);

// Replaces the learner's training set with the examples, as addExample
// would add them one by one.
void fillLearner(Learner& learner, const Dataset& data);
