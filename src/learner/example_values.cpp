#include "learner/example_values.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

ExampleValues::ExampleValues(std::span<const float> values) {
  if (values.size() <= inlineCapacity) {
    std::copy(values.begin(), values.end(), slots_);
    count_ = static_cast<std::uint8_t>(values.size());
    return;
  }
  if (values.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("too many values for one example");
  }
  float* const block = new float[values.size()];
  std::copy(values.begin(), values.end(), block);
  const auto size = static_cast<std::uint32_t>(values.size());
  static_assert(sizeof block + sizeof size <= sizeof slots_);
  std::memcpy(&slots_[0], &block, sizeof block);
  std::memcpy(&slots_[inlineCapacity - 1], &size, sizeof size);
  count_ = heapMark;
}

ExampleValues::ExampleValues(ExampleValues&& other) noexcept { takeFrom(other); }

ExampleValues& ExampleValues::operator=(const ExampleValues& other) {
  // The copy is made first, so that a failed allocation changes nothing.
  if (this != &other) *this = ExampleValues(other);
  return *this;
}

ExampleValues& ExampleValues::operator=(ExampleValues&& other) noexcept {
  if (this != &other) {
    if (onHeap()) release();
    takeFrom(other);
  }
  return *this;
}

void ExampleValues::release() noexcept {
  delete[] heapData();
  count_ = 0;
}

void ExampleValues::takeFrom(ExampleValues& other) noexcept {
  // As bytes: the slots may hold a block's address rather than floats.
  std::memcpy(slots_, other.slots_, sizeof slots_);
  count_ = other.count_;
  other.count_ = 0;
}
