#pragma once

#include <cstdint>
#include <vector>

// One training case: the class label and the attribute values in attribute
// order. A plain value type; copying it copies both.
struct Example {
  std::uint8_t classValue = 0;
  std::vector<float> values;
};

using ExampleSet = std::vector<Example>;
