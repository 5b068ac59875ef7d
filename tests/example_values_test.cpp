#include "learner/example_values.h"

#include <gtest/gtest.h>

#include <bit>
#include <numeric>
#include <utility>
#include <vector>

#include "learner/example.h"

namespace {

std::vector<float> valuesOf(std::size_t size, float first) {
  std::vector<float> values(size);
  std::iota(values.begin(), values.end(), first);
  return values;
}

std::vector<float> contents(const ExampleValues& values) { return {values.begin(), values.end()}; }

const std::size_t sizes[] = {0, 1, 3, 4, 9};

}  // namespace

TEST(ExampleValues, HoldsUpToThreeInTheRecordAndMoreOnTheHeap) {
  for (const std::size_t size : sizes) {
    ExampleValues values(valuesOf(size, 1.5F));
    const auto* data = reinterpret_cast<const char*>(values.data());
    const auto* record = reinterpret_cast<const char*>(&values);
    EXPECT_EQ(data >= record && data < record + sizeof values, size <= ExampleValues::inlineCapacity) << size;
    for (float& value : values) value += 1.0F;
    EXPECT_EQ(contents(values), valuesOf(size, 2.5F));
  }
  // Every bit of every value is kept, NaN payloads included.
  const float odd[] = {std::bit_cast<float>(0x7FA00001U), -0.0F, 1.0F, std::bit_cast<float>(0xFFC00123U)};
  for (const std::size_t size : {std::size_t{3}, std::size_t{4}}) {
    const ExampleValues values(std::span<const float>(odd, size));
    for (std::size_t i = 0; i < size; ++i) {
      EXPECT_EQ(std::bit_cast<std::uint32_t>(values[i]), std::bit_cast<std::uint32_t>(odd[i]));
    }
  }
}

TEST(ExampleValues, CopiesAndMovesBetweenEveryKind) {
  for (const std::size_t from : sizes) {
    const ExampleValues original(valuesOf(from, 1.0F));
    for (const std::size_t to : sizes) {
      ExampleValues copied(valuesOf(to, 100.0F));
      copied = original;
      EXPECT_EQ(contents(copied), valuesOf(from, 1.0F)) << from << " over " << to;
      ExampleValues moved(valuesOf(to, 100.0F));
      ExampleValues donor(original);
      moved = std::move(donor);
      EXPECT_EQ(contents(moved), valuesOf(from, 1.0F)) << from << " over " << to;
      EXPECT_TRUE(donor.empty());  // NOLINT(bugprone-use-after-move): the moved-from state is defined
    }
    ExampleValues values(original);
    const ExampleValues& same = values;
    values = same;
    const ExampleValues constructed(std::move(values));
    EXPECT_EQ(contents(constructed), contents(original));
  }
}

TEST(ExampleValues, AssigningThemKeepsTheClassByteInTheirPadding) {
  // The class byte of a 16-byte example lies in the padding behind the
  // values: assigning values of another width must not touch it.
  std::vector<Example> examples;
  examples.emplace_back(7, valuesOf(3, 0.0F));
  examples.emplace_back(9, valuesOf(5, 0.0F));
  for (const std::size_t size : sizes) {
    examples[0].values = ExampleValues(valuesOf(size, 2.0F));
    examples[1].values = examples[0].values;
    EXPECT_EQ(examples[0].classValue, 7);
    EXPECT_EQ(examples[1].classValue, 9);
  }
}
