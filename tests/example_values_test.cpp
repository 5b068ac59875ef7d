#include "learner/example_values.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
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

bool heldInline(const ExampleValues& values) {
  const auto* record = reinterpret_cast<const unsigned char*>(&values);
  const auto* data = reinterpret_cast<const unsigned char*>(values.data());
  return data >= record && data < record + sizeof values;
}

const std::size_t sizes[] = {0, 1, 3, 4, 9};

}  // namespace

TEST(ExampleValues, HoldsUpToThreeInTheRecordAndMoreOnTheHeap) {
  for (const std::size_t size : sizes) {
    const std::vector<float> expected = valuesOf(size, 1.5F);
    ExampleValues values(expected);
    EXPECT_EQ(values.size(), size);
    EXPECT_EQ(values.empty(), size == 0);
    EXPECT_EQ(heldInline(values), size <= ExampleValues::inlineCapacity) << size;
    EXPECT_EQ(contents(values), expected);
    EXPECT_EQ(values.end() - values.begin(), static_cast<std::ptrdiff_t>(size));
    for (std::size_t i = 0; i < size; ++i) {
      EXPECT_EQ(values[i], expected[i]);
      values[i] = -values[i];
      EXPECT_EQ(values.data()[i], -expected[i]);
    }
  }
  // Every bit of every value is kept, NaN payloads included.
  const float odd[] = {std::bit_cast<float>(0x7FA00001U), -0.0F, std::numeric_limits<float>::infinity(),
                       std::bit_cast<float>(0xFFC00123U)};
  for (const std::size_t size : {std::size_t{3}, std::size_t{4}}) {
    const ExampleValues values(std::span<const float>(odd, size));
    for (std::size_t i = 0; i < size; ++i) {
      EXPECT_EQ(std::bit_cast<std::uint32_t>(values[i]), std::bit_cast<std::uint32_t>(odd[i]));
    }
  }
}

TEST(ExampleValues, CopiesAndMovesBetweenEveryKind) {
  for (const std::size_t from : sizes) {
    for (const std::size_t to : sizes) {
      const std::vector<float> source = valuesOf(from, 1.0F);
      const ExampleValues original(source);

      ExampleValues copied(valuesOf(to, 100.0F));
      copied = original;
      EXPECT_EQ(contents(copied), source) << from << " over " << to;
      EXPECT_EQ(contents(original), source);
      if (from > 0) {
        EXPECT_NE(copied.data(), original.data());
      }

      ExampleValues moved(valuesOf(to, 100.0F));
      ExampleValues donor(original);
      moved = std::move(donor);
      EXPECT_EQ(contents(moved), source) << from << " over " << to;
      EXPECT_TRUE(donor.empty());  // NOLINT(bugprone-use-after-move): the moved-from state is defined
    }
    const std::vector<float> source = valuesOf(from, 1.0F);
    ExampleValues values(source);
    const ExampleValues& same = values;
    values = same;
    values = std::move(values);  // NOLINT(performance-move-const-arg)
    EXPECT_EQ(contents(values), source);
    ExampleValues constructed(std::move(values));
    EXPECT_EQ(contents(constructed), source);
    EXPECT_EQ(contents(ExampleValues(constructed)), source);
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
    EXPECT_EQ(contents(examples[1].values), valuesOf(size, 2.0F));
  }
  examples.resize(1000, examples[1]);
  EXPECT_EQ(examples[0].classValue, 7);
  EXPECT_EQ(examples[999].classValue, 9);
}
