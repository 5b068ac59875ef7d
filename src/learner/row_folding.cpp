#include "learner/row_folding.h"

#include <bit>
#include <cstring>
#include <utility>

#include "tree/tree_node.h"

namespace {

constexpr std::uint32_t oneBits = 0x3F800000U;
constexpr std::uint32_t emptySlot = 0xFFFFFFFFU;
// Beyond this many attributes the direct table would be too large.
constexpr std::uint32_t maxDirectWidth = 16;

std::uint64_t hashRow(const float* values, std::uint32_t width, std::uint8_t classValue) {
  std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ classValue;
  for (std::uint32_t i = 0; i < width; ++i) {
    hash ^= std::bit_cast<std::uint32_t>(values[i]);
    hash *= 0xFF51AFD7ED558CCDULL;
    hash ^= hash >> 32;
  }
  return hash;
}

bool sameBits(const float* a, const float* b, std::uint32_t width) {
  // Examples without values have no storage to compare.
  return width == 0 || std::memcmp(a, b, std::size_t{width} * sizeof(float)) == 0;
}

// How far ahead of the pass over the training set its memory is asked for,
// in examples: 4 KiB.
constexpr std::size_t prefetchAhead = 256;
constexpr std::size_t examplesPerLine = 64 / sizeof(Example);

// Examples are counted in this many interleaved copies of the table: one
// copy would make every example wait for the previous example's increment
// whenever the two have the same row.
constexpr std::size_t lanes = 4;

// Counts the examples from `e` on for as long as each has `width` values of
// exactly 0.0f or 1.0f and a class of 0 or 1; answers where it stopped.
// Free of branches on the values, which are checked two at a time: random
// 0/1 values would mispredict half of the branches, and this pass over the
// whole training set is most of the learn's time. `Width` is the width
// known when compiling, 0 when not.
template <std::uint32_t Width>
std::size_t countBinary(std::span<const Example> examples, std::size_t e, std::uint32_t width,
                        std::uint64_t* tallies) {
  if constexpr (Width != 0) width = Width;
  const std::size_t codes = std::size_t{2} << width;
  // Bit 29 is set in 1.0f and clear in 0.0f; any other value differs from
  // the one of the two that its bit 29 names.
  constexpr std::uint64_t bit29 = 0x0000000100000001ULL;
  for (; e < examples.size(); ++e) {
    // The hardware's own prefetch leaves the loop waiting for memory a
    // third of the time.
    if (e % examplesPerLine == 0 && e + prefetchAhead < examples.size()) {
      __builtin_prefetch(&examples[e + prefetchAhead]);
    }
    const Example& example = examples[e];
    if (example.values.size() != width) break;
    const float* values = example.values.data();
    std::uint64_t other = example.classValue >> 1U;
    std::uint32_t code = example.classValue;
    std::uint32_t i = 0;
    for (; i + 2 <= width; i += 2) {
      std::uint64_t pair = 0;
      std::memcpy(&pair, values + i, sizeof pair);
      const std::uint64_t ones = (pair >> 29U) & bit29;
      other |= pair ^ (ones * oneBits);
      code |= static_cast<std::uint32_t>((ones | (ones >> 31U)) & 3U) << (i + 1);
    }
    if (i < width) {
      const auto bits = std::bit_cast<std::uint32_t>(values[i]);
      const std::uint32_t one = (bits >> 29U) & 1U;
      other |= bits ^ (one * oneBits);
      code |= one << (i + 1);
    }
    if (other != 0) break;
    ++tallies[(e % lanes) * codes + code];
  }
  return e;
}

}  // namespace

void RowFolder::add(std::span<const Example> examples) {
  if (examples.empty()) return;
  if (!started_) {
    started_ = true;
    width_ = static_cast<std::uint32_t>(examples.front().values.size());
    table_.width = width_;
    direct_ = width_ <= maxDirectWidth;
    if (direct_) tallies_.assign(lanes * (std::size_t{2} << width_), 0);
  }
  std::size_t e = 0;
  if (direct_) {
    switch (width_) {
      case 2:
        e = countBinary<2>(examples, e, width_, tallies_.data());
        break;
      case 3:
        e = countBinary<3>(examples, e, width_, tallies_.data());
        break;
      default:
        e = countBinary<0>(examples, e, width_, tallies_.data());
        break;
    }
  }
  for (; e < examples.size(); ++e) {
    if (direct_) switchToHashing();
    const Example& example = examples[e];
    const float* row = example.values.data();
    if (example.values.size() != width_) {
      padded_.resize(width_);
      for (std::uint32_t i = 0; i < width_; ++i) padded_[i] = valueAt(example.values, i);
      row = padded_.data();
    }
    insertRow(row, example.classValue, 1);
  }
}

void RowFolder::switchToHashing() {
  direct_ = false;
  const std::size_t codes = tallies_.size() / lanes;
  std::vector<float> values(width_);
  for (std::uint32_t code = 0; code < codes; ++code) {
    std::uint64_t count = 0;
    for (std::size_t lane = 0; lane < lanes; ++lane) count += tallies_[lane * codes + code];
    if (count == 0) continue;
    for (std::uint32_t i = 0; i < width_; ++i) values[i] = ((code >> (i + 1)) & 1U) != 0 ? 1.0F : 0.0F;
    insertRow(values.data(), static_cast<std::uint8_t>(code & 1U), count);
  }
  tallies_.clear();
}

void RowFolder::growSlots() {
  const std::size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
  slots_.assign(size, emptySlot);
  for (std::uint32_t r = 0; r < table_.rows(); ++r) {
    const float* row = table_.values.data() + std::size_t{r} * width_;
    std::size_t slot = hashRow(row, width_, table_.classes[r]) & (size - 1);
    while (slots_[slot] != emptySlot) slot = (slot + 1) & (size - 1);
    slots_[slot] = r;
  }
}

void RowFolder::insertRow(const float* values, std::uint8_t classValue, std::uint64_t count) {
  // Half full at most, so that a probe ends soon.
  if ((table_.rows() + 1) * 2 > slots_.size()) growSlots();
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = hashRow(values, width_, classValue) & mask;
  while (slots_[slot] != emptySlot) {
    const std::uint32_t row = slots_[slot];
    if (table_.classes[row] == classValue &&
        sameBits(table_.values.data() + std::size_t{row} * width_, values, width_)) {
      table_.counts[row] += count;
      return;
    }
    slot = (slot + 1) & mask;
  }
  const auto row = static_cast<std::uint32_t>(table_.rows());
  slots_[slot] = row;
  table_.values.insert(table_.values.end(), values, values + width_);
  table_.classes.push_back(classValue);
  table_.counts.push_back(count);
}

RowTable RowFolder::finish() {
  if (direct_) switchToHashing();
  RowTable table = std::move(table_);
  *this = RowFolder{};
  return table;
}

RowTable foldRows(std::span<const Example> examples) {
  RowFolder folder;
  folder.add(examples);
  return folder.finish();
}
