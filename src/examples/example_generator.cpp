#include "examples/example_generator.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "learner/learner.h"

bool isFitnessFunction(int code) {
  switch (code) {
    case '|':
    case '^':
    case '&':
    case '#':
    case '%':
    case '*':
      return true;
    default:
      return false;
  }
}

std::size_t valueCount(FitnessFunction fitness) {
  return fitness == '#' || fitness == '%' || fitness == '*' ? 3 : 2;
}

std::uint8_t classOf(FitnessFunction fitness, const std::vector<float>& values) {
  // Truncated toward zero, as the values are only ever 0.0 or 1.0.
  const int i1 = values.size() > 0 ? static_cast<int>(values[0]) : 0;
  const int i2 = values.size() > 1 ? static_cast<int>(values[1]) : 0;
  const int i3 = values.size() > 2 ? static_cast<int>(values[2]) : 0;
  const int ones = (i1 != 0) + (i2 != 0) + (i3 != 0);
  switch (fitness) {
    case '|':
      return (i2 | i1) != 0;
    case '^':
      return (i2 ^ i1) != 0;
    case '#':
      return ones >= 1;
    case '%':
      return ones == 1;
    case '*':
      return ones == 3;
    default:
      return (i2 & i1) != 0;
  }
}

namespace {
float draw() { return static_cast<float>(std::rand() % 2); }
}  // namespace

void makeExample(std::vector<float>& values, std::uint8_t& classValue, FitnessFunction fitness) {
  values.clear();
  values.push_back(draw());
  values.push_back(draw());
  if (valueCount(fitness) == 3) values.push_back(draw());
  classValue = classOf(fitness, values);
}

bool trainAndTest(Learner& learner, FitnessFunction fitness) {
  std::vector<float> values;
  std::uint8_t classValue = 0;
  std::uint8_t response = 0;
  try {
    makeExample(values, classValue, fitness);
    response = learner.classify(values);
    // Added before its line is printed, so that every line shown is an
    // example kept; the tree that answered is the same either way.
    learner.addExample(values, classValue);
  } catch (const std::bad_alloc&) {
    // A training set that cannot grow stays as it was.
    std::fputs("Out of memory: the example was not kept.\n", stdout);
    return false;
  }
  if (values.size() == 2) {
    std::printf("input: \"%.2f %c %.2f\" response: %d.", values[0], fitness, values[1], response);
  } else if (values.size() == 3) {
    std::printf("input: \"%.2f %c %.2f %c %.2f  \" response: %d.", values[0], fitness, values[1], fitness,
                values[2], response);
  }
  std::fputs(classValue == response ? "\t\t\tCORRECT. \n" : "\t\t\tWRONG. \n", stdout);
  return true;
}
