#pragma once

#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "learner/example_values.h"

// One training case: the class label and the attribute values in attribute
// order. A plain value type; copying it copies both.
struct Example {
  // Declared before the class byte, which then takes the padding behind
  // them: an example of up to three values is a 16-byte record.
  [[no_unique_address]] ExampleValues values;
  std::uint8_t classValue = 0;

  Example() = default;
  Example(std::uint8_t label, std::span<const float> attributeValues)
      : values(attributeValues), classValue(label) {}
};

static_assert(sizeof(Example) == 16);
// A training set that grows moves its examples, and cannot fail halfway.
static_assert(std::is_nothrow_move_constructible_v<Example>);

using ExampleSet = std::vector<Example>;
